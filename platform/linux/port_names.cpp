#include "platform/linux/port_names.hpp"

#include <cstdlib>

#include "platform/port_number.hpp"

namespace zizuvu {

std::string device_path_for_port(std::string_view port_name) {
    const int number = port_number(port_name);
    if (number == 0) return std::string(port_name);
    if (std::string named = named_port_device(number); !named.empty()) return named;
    const std::string variable = "ZIZUVU_COM" + std::to_string(number);
    if (const char* path = std::getenv(variable.c_str())) return path;
    return "/dev/ttyS" + std::to_string(number - 1);
}

std::string port_device(std::string_view port_name) { return device_path_for_port(port_name); }

}  // namespace zizuvu
