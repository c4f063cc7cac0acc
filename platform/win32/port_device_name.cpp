#include "platform/win32/port_device_name.hpp"

#include "platform/port_number.hpp"

namespace zizuvu {

std::string device_name_for_port(std::string_view port_name) {
    const int number = port_number(port_name);
    // The device namespace prefix: the name then means the port and never a file
    // of that name, whatever the current directory holds.
    if (number == 0) return std::string(port_name);
    if (std::string named = named_port_device(number); !named.empty()) return named;
    return std::string("\\\\.\\COM") + static_cast<char>('0' + number);
}

std::string port_device(std::string_view port_name) { return device_name_for_port(port_name); }

}  // namespace zizuvu
