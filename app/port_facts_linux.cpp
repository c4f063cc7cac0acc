#include "app/port_facts.hpp"

#include "platform/port_number.hpp"
#include "ports/port_explanation.hpp"
#include "ports/port_state.hpp"

namespace zizuvu {

std::vector<PortFacts> port_facts(const std::vector<std::string>& port_names, int error_number, std::size_t width) {
    std::vector<std::string> devices;
    devices.reserve(port_names.size());
    for (const std::string& name : port_names) devices.push_back(port_device(name));
    const std::vector<PortState> states = port_states(devices);
    std::vector<PortFacts> facts;
    for (std::size_t i = 0; i < port_names.size(); ++i) {
        PortFacts port;
        port.name = port_names[i];
        port.device = devices[i];
        port.state = describe_port_state(states[i]);
        const bool present = states[i].condition == PortCondition::present;
        port.look = present ? PortLook::good : PortLook::fault;
        if (!present || error_number != 0) port.advice = explain_port_problem(error_number, devices[i], states[i], width);
        facts.push_back(std::move(port));
    }
    return facts;
}

}  // namespace zizuvu
