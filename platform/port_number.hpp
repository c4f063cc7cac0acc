#pragma once
// The number of a serial port name, shared by the platforms' device naming.
//
//   port_number   "Com1".."Com9" in any letter case (as Win32 reads device names) -> 1..9;
//                 0 for any other name

#include <string_view>

namespace zizuvu {

int port_number(std::string_view name);

}  // namespace zizuvu
