#include "settings/configuration.hpp"

#include <toml++/toml.h>

#include <algorithm>
#include <functional>

namespace zizuvu {
namespace {

// Where the file's relative paths start: its own folder, with its separator.
std::string folder_of(const std::string& file) {
    const std::size_t separator = file.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : file.substr(0, separator + 1);
}

bool is_absolute(std::string_view path) {
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive || (!path.empty() && (path[0] == '/' || path[0] == '\\'));
}

const char* type_name(toml::node_type type) {
    switch (type) {
    case toml::node_type::string: return "a string";
    case toml::node_type::integer: return "a whole number";
    case toml::node_type::floating_point: return "a number with a fraction";
    case toml::node_type::boolean: return "true or false";
    case toml::node_type::table: return "a table";
    case toml::node_type::array: return "a list";
    default: return "a date or time";
    }
}

struct Reader {
    Configuration& configuration;
    std::string folder;
};

// Each key's reader returns the reason it refuses the value, or nothing.
using KeyReader = std::function<std::string(const toml::node&, Reader&)>;

std::string wrong_type(const toml::node& node, const char* wanted) {
    return std::string("must be ") + wanted + ", not " + type_name(node.type());
}

// A path as the file means it: relative ones from the file's folder.
Checked<std::string> path_value(const toml::node& node, const Reader& reader) {
    if (!node.is_string()) return {{}, wrong_type(node, "a string")};
    const std::string& text = node.as_string()->get();
    if (text.empty()) return {{}, "the path is empty"};
    // Nothing here expands "~"; a file named "~" in the configuration's folder is never what was meant.
    if (text[0] == '~') return {{}, quote_value(text) + ": '~' is not expanded here, write the whole path"};
    return {is_absolute(text) ? text : reader.folder + text, {}};
}

KeyReader device_key(int port) {
    return [port](const toml::node& node, Reader& reader) {
        Checked<std::string> path = path_value(node, reader);
        reader.configuration.devices[static_cast<std::size_t>(port - 1)] = path.value;
        return path.problem;
    };
}

KeyReader path_key(std::optional<std::string> Configuration::*field) {
    return [field](const toml::node& node, Reader& reader) {
        Checked<std::string> path = path_value(node, reader);
        reader.configuration.*field = path.value;
        return path.problem;
    };
}

KeyReader switch_key(std::optional<bool> Configuration::*field) {
    return [field](const toml::node& node, Reader& reader) {
        if (!node.is_boolean()) return wrong_type(node, "true or false");
        reader.configuration.*field = node.as_boolean()->get();
        return std::string();
    };
}

std::string read_port(const toml::node& node, Reader& reader) {
    if (!node.is_string()) return wrong_type(node, "a port name such as \"Com2\"");
    const Checked<int> port = check_port_name(node.as_string()->get());
    reader.configuration.port = port.value;
    return port.problem;
}

std::string read_baud(const toml::node& node, Reader& reader) {
    if (!node.is_integer()) return wrong_type(node, "a whole number");
    const Checked<std::uint32_t> baud = check_baud(node.as_integer()->get());
    reader.configuration.baud = baud.value;
    return baud.problem;
}

// Each entry of the list is a ComN name or a device path; the first fault names its own line.
std::string read_flash_ports(const toml::node& node, Reader& reader, std::uint32_t& line) {
    if (!node.is_array()) return wrong_type(node, R"(a list such as ["Com1", "Com2"])");
    auto& ports = reader.configuration.flash_ports;
    for (const toml::node& entry : *node.as_array()) {
        line = entry.source().begin.line;
        if (!entry.is_string()) return wrong_type(entry, "a port name or a device path");
        Checked<PortChoice> choice = check_port_choice(entry.as_string()->get());
        if (!choice.ok()) return choice.problem;
        if (choice.value.port == 0) {
            Checked<std::string> path = path_value(entry, reader);
            if (!path.ok()) return path.problem;
            choice.value.path = path.value;
        }
        if (std::find(ports.begin(), ports.end(), choice.value) != ports.end()) {
            return quote_value(entry.as_string()->get()) + " is listed twice";
        }
        ports.push_back(choice.value);
    }
    return {};
}

struct Key {
    std::string name;
    KeyReader read;
};

const std::vector<Key>& keys() {
    static const std::vector<Key> KEYS = [] {
        std::vector<Key> all;
        for (int port = 1; port <= PORT_COUNT; ++port) all.push_back({"com" + std::to_string(port), device_key(port)});
        all.push_back({"port", read_port});
        all.push_back({"baud", read_baud});
        all.push_back({"image", path_key(&Configuration::image)});
        all.push_back({"records", path_key(&Configuration::records)});
        all.push_back({"capture", path_key(&Configuration::capture)});
        all.push_back({"capture_timestamps", switch_key(&Configuration::capture_timestamps)});
        all.push_back({"capture_keys", switch_key(&Configuration::capture_keys)});
        return all;
    }();
    return KEYS;
}

ConfigurationResult refused(const std::string& path, std::uint32_t line, std::string_view reason) {
    ConfigurationResult result;
    result.status = ConfigurationStatus::refused;
    result.message = path + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + std::string(reason);
    return result;
}

}  // namespace

ConfigurationResult read_configuration(std::string_view text, const std::string& path) {
    toml::parse_result parsed = toml::parse(text, path);
    if (!parsed) {
        std::string reason(parsed.error().description());
        // The likeliest slip in a hand-written file: port = Com2 for port = "Com2".
        if (reason.find("could not determine value type") != std::string::npos) reason += " (text needs quotes)";
        return refused(path, parsed.error().source().begin.line, reason);
    }
    ConfigurationResult result;
    result.status = ConfigurationStatus::loaded;
    result.configuration.file = path;
    Reader reader{result.configuration, folder_of(path)};
    for (const auto& [key, node] : parsed.table()) {
        std::uint32_t line = node.source().begin.line;
        std::string problem;
        const std::string_view name = key.str();
        if (name == "flash_ports") {
            problem = read_flash_ports(node, reader, line);
        } else {
            const auto& known = keys();
            const auto found = std::find_if(known.begin(), known.end(), [name](const Key& k) { return k.name == name; });
            if (found == known.end()) {
                return refused(path, key.source().begin.line,
                               "unknown key " + quote_value(name) +
                                   " (known: com1 to com9, port, baud, image, records, capture,"
                                   " capture_timestamps, capture_keys, flash_ports)");
            }
            problem = found->read(node, reader);
        }
        if (!problem.empty()) return refused(path, line, std::string(name) + ": " + problem);
    }
    return result;
}

}  // namespace zizuvu
