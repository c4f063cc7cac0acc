#include "ports/port_listing.hpp"

#include <algorithm>
#include <cstddef>

#include "ports/port_explanation.hpp"

namespace zizuvu {
namespace {

constexpr std::size_t SCREEN_WIDTH = 80;
constexpr std::string_view DETAIL_INDENT = "    ";
// A longer path than this gets its state on a line of its own, rather than every
// port's state being pushed past the edge.
constexpr std::size_t PATH_COLUMN_LIMIT = 36;

std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string joined(const std::vector<std::string>& parts, std::string_view between) {
    std::string text;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        if (!text.empty()) text += between;
        text += part;
    }
    return text;
}

std::string trimmed_end(std::string line) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

struct DeviceColumns {
    std::size_t path = 0;
    std::size_t driver = 0;
    std::size_t usb = 0;
};

std::string usb_text(const SerialDevice& device) {
    if (device.usb_id.empty()) return {};
    return device.usb_port.empty() ? "USB " + device.usb_id : "USB " + device.usb_id + " at " + device.usb_port;
}

DeviceColumns columns_of(const std::vector<SerialDevice>& devices) {
    DeviceColumns columns;
    for (const SerialDevice& device : devices) {
        columns.path = std::max(columns.path, device.path.size());
        columns.driver = std::max(columns.driver, device.driver.size());
        columns.usb = std::max(columns.usb, usb_text(device).size());
    }
    return columns;
}

// The first line holds what tells two adapters apart at a glance; the maker's
// strings, the by-id name and any problem follow, indented, each on its own line.
std::string device_block(const SerialDevice& device, const DeviceColumns& columns) {
    const std::string serial = device.serial_number.empty() ? "" : "serial " + device.serial_number;
    std::string text = trimmed_end(padded(device.path, columns.path) + "  " + padded(device.driver, columns.driver) + "  " +
                                   padded(usb_text(device), columns.usb) + "  " + serial) +
                       "\n";
    const std::string strings = joined({device.maker, device.product}, " ");
    if (!strings.empty()) text += std::string(DETAIL_INDENT) + strings + "\n";
    if (!device.by_id.empty()) text += std::string(DETAIL_INDENT) + "by-id " + device.by_id + "\n";
    if (!device.problem.empty()) text += std::string(DETAIL_INDENT) + "problem: " + device.problem + "\n";
    return text;
}

std::string devices_section(const std::vector<SerialDevice>& devices) {
    if (devices.empty()) return "No serial devices found: is the adapter plugged in?\n";
    std::string text = "Serial devices (" + std::to_string(devices.size()) + "):\n";
    const DeviceColumns columns = columns_of(devices);
    for (const SerialDevice& device : devices) text += device_block(device, columns);
    return text;
}

// A port's state follows its path on the same line where both fit; the fix, when
// there is one to say, goes on the line below.
std::string port_lines(const CheckedPort& checked, std::size_t name_width, std::size_t path_width) {
    const std::string head = padded(checked.port.name, name_width) + "  ";
    const std::string words = describe_port_state(checked.state);
    std::string text = head + padded(checked.port.path, path_width) + "  " + words;
    if (text.size() > SCREEN_WIDTH) {
        text = trimmed_end(head + checked.port.path) + "\n" + std::string(head.size(), ' ') + words;
    }
    text += "\n";
    if (checked.state.condition != PortCondition::present) {
        const std::size_t room = SCREEN_WIDTH - head.size();
        const std::string fix = explain_port_problem(0, checked.port.path, checked.state, std::min(room, EXPLANATION_WIDTH));
        if (fix != words) text += std::string(head.size(), ' ') + fix + "\n";
    }
    return text;
}

std::string ports_section(const std::vector<CheckedPort>& ports) {
    if (ports.empty()) return {};
    std::size_t name_width = 0;
    std::size_t path_width = 0;
    for (const CheckedPort& checked : ports) {
        name_width = std::max(name_width, checked.port.name.size());
        if (checked.port.path.size() <= PATH_COLUMN_LIMIT) path_width = std::max(path_width, checked.port.path.size());
    }
    std::string text = "\nPorts of this program:\n";
    for (const CheckedPort& checked : ports) text += port_lines(checked, name_width, path_width);
    return text;
}

}  // namespace

std::string format_port_listing(const std::vector<SerialDevice>& devices, const std::vector<CheckedPort>& ports) {
    return devices_section(devices) + ports_section(ports);
}

std::string port_listing(const std::vector<NamedPort>& ports, const SystemRoots& roots) {
    std::vector<std::string> paths;
    paths.reserve(ports.size());
    for (const NamedPort& port : ports) paths.push_back(port.path);
    std::vector<PortState> states = port_states(paths, roots);
    std::vector<CheckedPort> checked;
    checked.reserve(ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) checked.push_back(CheckedPort{ports[i], std::move(states[i])});
    return format_port_listing(list_serial_devices(roots), checked);
}

}  // namespace zizuvu
