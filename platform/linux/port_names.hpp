#pragma once
// Which device a port name stands for on Linux.
//
//   device_path_for_port   "Com<N>" -> the device named for it in this run, else
//                          $ZIZUVU_COM<N>, else /dev/ttyS<N-1>; other names unchanged

#include <string>
#include <string_view>

namespace zizuvu {

std::string device_path_for_port(std::string_view port_name);

}  // namespace zizuvu
