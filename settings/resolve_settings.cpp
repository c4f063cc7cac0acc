#include "settings/resolve_settings.hpp"

#include <algorithm>

namespace zizuvu {
namespace {

std::array<PortSetting, PORT_COUNT> resolve_ports(const CommandLineOptions& options, const Configuration& configuration,
                                                  const EnvironmentLookup& environment) {
    std::array<PortSetting, PORT_COUNT> ports;
    for (int n = 1; n <= PORT_COUNT; ++n) {
        PortSetting& port = ports[static_cast<std::size_t>(n - 1)];
        const auto given = std::find_if(options.devices.begin(), options.devices.end(),
                                        [n](const DeviceAssignment& d) { return d.port == n; });
        const std::optional<std::string> variable = environment("ZIZUVU_COM" + std::to_string(n));
        const std::optional<std::string>& configured = configuration.devices[static_cast<std::size_t>(n - 1)];
        if (given != options.devices.end()) {
            port = {given->path, SettingSource::command_line};
        } else if (variable && !variable->empty()) {
            port = {*variable, SettingSource::environment};
        } else if (configured) {
            port = {*configured, SettingSource::configuration};
        }
    }
    return ports;
}

std::string where_flash_ports_come_from(const Configuration& configuration) {
    return configuration.file.empty() ? std::string("a configuration file") : configuration.file;
}

std::string target_name(const FlashTarget& target) {
    return target.port > 0 ? port_name(target.port) : quote_value(target.path);
}

// Two targets on one device would fight over it.
std::string same_device(const std::vector<FlashTarget>& targets) {
    for (std::size_t i = 0; i < targets.size(); ++i) {
        for (std::size_t j = i + 1; j < targets.size(); ++j) {
            if (!targets[i].path.empty() && targets[i].path == targets[j].path) {
                return "flash: " + target_name(targets[i]) + " and " + target_name(targets[j]) + " are the same device " +
                       quote_value(targets[i].path);
            }
        }
    }
    return {};
}

std::string resolve_flash(const CommandLineOptions& options, const Configuration& configuration, RunSettings& settings) {
    FlashSettings& flash = settings.flash;
    flash.radio = options.radio.value_or(FlashRadio::current);
    flash.high_speed = options.high_speed;
    flash.firmware_before_545 = options.firmware_before_545;
    flash.attempts = options.attempts.value_or(DEFAULT_ATTEMPTS);
    flash.wait_seconds = options.wait_seconds.value_or(DEFAULT_WAIT_SECONDS);
    flash.json = options.flash_json;
    const std::vector<PortChoice>& chosen = options.flash_ports.empty() ? configuration.flash_ports : options.flash_ports;
    if (chosen.empty()) {
        return "flash: no port to flash on: give --port, or flash_ports in " +
               where_flash_ports_come_from(configuration);
    }
    for (const PortChoice& choice : chosen) {
        const std::string& path =
            choice.port > 0 ? settings.ports[static_cast<std::size_t>(choice.port - 1)].path : choice.path;
        flash.ports.push_back({choice.port, path});
    }
    return same_device(flash.ports);
}

}  // namespace

ConfigurationToLoad configuration_to_load(const ParsedCommandLine& parsed, const EnvironmentLookup& environment) {
    if (parsed.options.config) return {parsed.options.config, MissingFile::refused};
    return {default_configuration_path(environment), MissingFile::allowed};
}

SettingsResult resolve_settings(const ParsedCommandLine& parsed, const Configuration& configuration,
                                const EnvironmentLookup& environment) {
    const CommandLineOptions& options = parsed.options;
    SettingsResult result;
    RunSettings& settings = result.settings;
    settings.action = parsed.action;
    settings.configuration_file = configuration.file;
    settings.ports = resolve_ports(options, configuration, environment);
    // With --history, --port filters the records; it starts no terminal.
    const std::optional<int> starting_port = parsed.action == CommandAction::history ? std::nullopt : options.port;
    settings.port = starting_port.value_or(configuration.port.value_or(DEFAULT_PORT));
    settings.baud = options.baud.value_or(configuration.baud.value_or(DEFAULT_BAUD));
    settings.image = options.image ? options.image : configuration.image;
    settings.records = options.records ? options.records : configuration.records;
    settings.capture.folder = options.capture ? options.capture : configuration.capture;
    settings.capture.timestamps = options.capture_timestamps || configuration.capture_timestamps.value_or(false);
    settings.capture.keys = options.capture_keys || configuration.capture_keys.value_or(false);
    settings.history = {options.serial, options.since, options.port, options.history_format};
    if (parsed.action == CommandAction::run && !settings.capture.folder &&
        (options.capture_timestamps || options.capture_keys)) {
        result.problem = std::string(options.capture_timestamps ? "--capture-timestamps" : "--capture-keys") +
                         " needs a folder to capture into: give --capture DIR, or capture in the configuration file";
    }
    if (parsed.action == CommandAction::flash) result.problem = resolve_flash(options, configuration, settings);
    return result;
}

}  // namespace zizuvu
