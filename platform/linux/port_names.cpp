#include "platform/linux/port_names.hpp"

#include <cstdlib>

#include "platform/port_number.hpp"

namespace zizuvu {

std::string device_path_for_port(std::string_view port_name) {
    const int number = port_number(port_name);
    if (number == 0) return std::string(port_name);
    const std::string variable = "ZIZUVU_COM" + std::to_string(number);
    if (const char* path = std::getenv(variable.c_str())) return path;
    return "/dev/ttyS" + std::to_string(number - 1);
}

}  // namespace zizuvu
