#include "platform/linux/port_names.hpp"

#include <cctype>
#include <cstdlib>

namespace zizuvu {
namespace {

// The digit of "Com1".."Com9" (in any letter case, as Win32 reads device names), 0 for any other name.
int port_digit(std::string_view name) {
    if (name.size() != 4) return 0;
    constexpr std::string_view prefix = "com";
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != prefix[i]) return 0;
    }
    return name[3] >= '1' && name[3] <= '9' ? name[3] - '0' : 0;
}

}  // namespace

std::string device_path_for_port(std::string_view port_name) {
    const int digit = port_digit(port_name);
    if (digit == 0) return std::string(port_name);
    const std::string variable = "ZIZUVU_COM" + std::to_string(digit);
    if (const char* path = std::getenv(variable.c_str())) return path;
    return "/dev/ttyS" + std::to_string(digit - 1);
}

}  // namespace zizuvu
