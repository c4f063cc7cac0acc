#include "platform/port_number.hpp"

#include <cctype>
#include <cstddef>

namespace zizuvu {

int port_number(std::string_view name) {
    if (name.size() != 4) return 0;
    constexpr std::string_view prefix = "com";
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != prefix[i]) return 0;
    }
    return name[3] >= '1' && name[3] <= '9' ? name[3] - '0' : 0;
}

}  // namespace zizuvu
