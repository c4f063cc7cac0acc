#include "platform/win32/port_device_name.hpp"

#include <cctype>

namespace zizuvu {
namespace {

int port_digit(std::string_view name) {
    if (name.size() != 4) return 0;
    constexpr std::string_view prefix = "com";
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != prefix[i]) return 0;
    }
    return name[3] >= '1' && name[3] <= '9' ? name[3] - '0' : 0;
}

}  // namespace

std::string device_name_for_port(std::string_view port_name) {
    const int digit = port_digit(port_name);
    // The device namespace prefix: the name then means the port and never a file
    // of that name, whatever the current directory holds.
    if (digit == 0) return std::string(port_name);
    return std::string("\\\\.\\COM") + static_cast<char>('0' + digit);
}

}  // namespace zizuvu
