#pragma once
// The serial ports' names and the devices they stand for in this run, shared by the
// platforms' device naming.
//
//   PORT_NAMES          how many ports there are: Com1..Com9
//   port_number         "Com1".."Com9" in any letter case (as Win32 reads device names) -> 1..9;
//                       0 for any other name
//   name_port_devices   the devices Com1..Com9 stand for in this run, as the command line,
//                       the environment and the configuration file say (empty: the
//                       platform's own default for that port)
//   named_port_device   the device named for ComN, empty when none was
//   port_device         the device a port name opens on this platform (named, else the
//                       platform's default); any other name is a path used unchanged

#include <array>
#include <string>
#include <string_view>

namespace zizuvu {

inline constexpr int PORT_NAMES = 9;

int port_number(std::string_view name);
void name_port_devices(const std::array<std::string, PORT_NAMES>& devices);
std::string named_port_device(int number);
std::string port_device(std::string_view port_name);

}  // namespace zizuvu
