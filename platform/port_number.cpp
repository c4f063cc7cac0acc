#include "platform/port_number.hpp"

#include <cctype>
#include <cstddef>
#include <mutex>

namespace zizuvu {

int port_number(std::string_view name) {
    if (name.size() != 4) return 0;
    constexpr std::string_view prefix = "com";
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != prefix[i]) return 0;
    }
    return name[3] >= '1' && name[3] <= '9' ? name[3] - '0' : 0;
}

namespace {

struct NamedDevices {
    std::mutex lock;
    std::array<std::string, PORT_NAMES> devices;
};

NamedDevices& named_devices() {
    static NamedDevices named;
    return named;
}

}  // namespace

void name_port_devices(const std::array<std::string, PORT_NAMES>& devices) {
    NamedDevices& named = named_devices();
    const std::lock_guard lock(named.lock);
    named.devices = devices;
}

std::string named_port_device(int number) {
    if (number < 1 || number > PORT_NAMES) return {};
    NamedDevices& named = named_devices();
    const std::lock_guard lock(named.lock);
    return named.devices[static_cast<std::size_t>(number - 1)];
}

}  // namespace zizuvu
