#pragma once
// What Linux keeps no record of for an open port but a Win32 handle carries: its
// time-outs, its queue sizes, the DTR mode asked for, the error counters seen last,
// the input minimum the terminal now wakes readers at, and what was changed on the
// driver that must be put back at close. One record per open descriptor, shared
// by the threads that use it.
//
//   PortHandleState       the record
//   remember_port_handle  a port just opened
//   port_handle_state     a copy of the record (a default one for a descriptor not opened as a port)
//   update_port_handle    change the record under its lock
//   forget_port_handle    a port being closed: its record, taken out

#include <termios.h>

#include <functional>

#include "platform/linux/line_counters.hpp"
#include "platform/linux/low_latency.hpp"
#include "platform/port_io.hpp"

namespace zizuvu {

// The Linux terminal layer's buffers are fixed in size (4096 bytes of input in the
// line discipline, a page of output in the serial core); these are what a port
// reports as its queue sizes until a program asks for others.
inline constexpr std::uint32_t LINUX_TTY_QUEUE_SIZE = 4096;

struct PortHandleState {
    bool is_terminal = false;
    PortTimeouts timeouts;
    QueueSizes queues{LINUX_TTY_QUEUE_SIZE, LINUX_TTY_QUEUE_SIZE};
    DtrControl dtr = DtrControl::enable;  // for devices without modem lines, what was last asked
    cc_t input_minimum = 1;               // VMIN on the device now
    bool has_counters = false;
    LineCounters counters;
    LowLatencyChange low_latency;
};

void remember_port_handle(int fd, const PortHandleState& state);
PortHandleState port_handle_state(int fd);
void update_port_handle(int fd, const std::function<void(PortHandleState&)>& change);
PortHandleState forget_port_handle(int fd);

}  // namespace zizuvu
