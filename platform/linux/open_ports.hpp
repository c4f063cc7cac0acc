#pragma once
// What this process keeps about each port it has open, by descriptor: whether it is
// a terminal at all, the settings it last made, the input minimum the terminal now
// wakes readers at, the error
// counters seen last, and what was changed on the driver that must be put back at
// close. Shared by the threads that use the port.
//
//   OpenPort          the record
//   remember_port     a port just opened
//   open_port_record  a copy of the record (a default one for a descriptor not opened as a port)
//   update_port       change the record under its lock
//   forget_port       a port being closed: its record, taken out

#include <termios.h>

#include <functional>

#include "platform/linux/line_counters.hpp"
#include "platform/linux/low_latency.hpp"

namespace zizuvu {

struct OpenPort {
    bool is_terminal = false;
    termios mode{};          // the terminal settings this process last made
    bool mode_known = false;
    cc_t input_minimum = 1;  // VMIN on the device now
    bool has_counters = false;
    LineCounters counters;
    LowLatencyChange low_latency;
};

void remember_port(int fd, const OpenPort& record);
OpenPort open_port_record(int fd);
void update_port(int fd, const std::function<void(OpenPort&)>& change);
OpenPort forget_port(int fd);

}  // namespace zizuvu
