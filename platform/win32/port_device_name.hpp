#pragma once
// Which Win32 device a port name stands for.
//
//   device_name_for_port   "Com1".."Com9" (any letter case) -> the device named for it in
//                          this run, else "\\.\COM1".."\\.\COM9"; any other name
//                          unchanged, as a path

#include <string>
#include <string_view>

namespace zizuvu {

std::string device_name_for_port(std::string_view port_name);

}  // namespace zizuvu
