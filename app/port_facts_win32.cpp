#include "app/port_facts.hpp"

#include "platform/port_number.hpp"

namespace zizuvu {

std::vector<PortFacts> port_facts(const std::vector<std::string>& port_names, int /*error_number*/,
                                  std::size_t /*width*/) {
    std::vector<PortFacts> facts;
    for (const std::string& name : port_names) facts.push_back(PortFacts{name, port_device(name), "", PortLook::unknown, ""});
    return facts;
}

}  // namespace zizuvu
