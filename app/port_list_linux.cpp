#include <cstdio>

#include "app/run_actions.hpp"
#include "app/run_settings.hpp"
#include "ports/port_listing.hpp"
#include "settings/exit_status.hpp"

namespace zizuvu {

int list_ports(const RunSettings& settings) {
    name_port_devices(port_devices(settings));
    std::vector<NamedPort> ports;
    for (int n = 1; n <= PORT_NAMES; ++n) {
        const std::string name = "Com" + std::to_string(n);
        ports.push_back(NamedPort{name, port_device(name)});
    }
    std::fputs(port_listing(ports).c_str(), stdout);
    return std::fflush(stdout) == 0 ? EXIT_DONE : 1;
}

}  // namespace zizuvu
