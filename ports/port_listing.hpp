#pragma once
// The text `zizuvu --list` prints: the machine's serial devices, then the program's
// ports with the state each is in, all readable on an 80-column terminal and one
// fact per line, so that grep finds a device by path, serial number or by-id name.
//
//   NamedPort             one of the program's ports: {"Com1", "/dev/ttyUSB0"}
//   CheckedPort           a port with the state it was found in
//   format_port_listing   the text, from devices and states already gathered
//   port_listing          gathers them from the machine (no device is opened) and formats

#include <string>
#include <vector>

#include "ports/port_state.hpp"
#include "ports/serial_devices.hpp"
#include "ports/system_roots.hpp"

namespace zizuvu {

struct NamedPort {
    std::string name;
    std::string path;
};

struct CheckedPort {
    NamedPort port;
    PortState state;
};

std::string format_port_listing(const std::vector<SerialDevice>& devices, const std::vector<CheckedPort>& ports);

std::string port_listing(const std::vector<NamedPort>& ports, const SystemRoots& roots = {});

}  // namespace zizuvu
