#pragma once
// What the bench panel and the port question say about a port: the device it stands
// for, the state it is in (found without opening it), and an error in words with
// its fix. Linux looks at the machine; the Windows build knows only the device name.
//
//   PortFacts        one port's device, state and words
//   port_facts       Com1..Com9 at once (the process table is read once for all)
//   PortLook         how a state reads: good, a fault, or not known here

#include <cstddef>
#include <string>
#include <vector>

namespace zizuvu {

enum class PortLook { good, fault, unknown };

struct PortFacts {
    std::string name;       // "Com1"
    std::string device;     // "/dev/ttyUSB0"
    std::string state;      // "present", "in use by picocom (PID 4242)", ...; empty when not known
    PortLook look = PortLook::unknown;
    std::string advice;     // what to do about the state or about `error_number`; empty when nothing
};

// `error_number` is the program's number for what failed on that port last (0 when
// nothing did); the advice then speaks to it, in at most `width` characters.
std::vector<PortFacts> port_facts(const std::vector<std::string>& port_names, int error_number = 0,
                                  std::size_t width = 78);

}  // namespace zizuvu
