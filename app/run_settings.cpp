#include "app/run_settings.hpp"

namespace zizuvu {

std::optional<RunSettings> settings_for_run(const ParsedCommandLine& parsed, const EnvironmentLookup& environment,
                                            std::string& problem) {
    const ConfigurationToLoad wanted = configuration_to_load(parsed, environment);
    ConfigurationResult configuration;
    if (wanted.path) configuration = load_configuration(*wanted.path, wanted.missing);
    if (configuration.status == ConfigurationStatus::refused) {
        problem = configuration.message;
        return std::nullopt;
    }
    SettingsResult resolved = resolve_settings(parsed, configuration.configuration, environment);
    if (!resolved.ok()) {
        problem = resolved.problem;
        return std::nullopt;
    }
    return resolved.settings;
}

std::array<std::string, PORT_NAMES> port_devices(const RunSettings& settings) {
    std::array<std::string, PORT_NAMES> devices;
    for (std::size_t n = 0; n < devices.size() && n < settings.ports.size(); ++n) devices[n] = settings.ports[n].path;
    return devices;
}

std::optional<DownloadImage> image_for_run(const RunSettings& settings, std::string& problem) {
    if (!settings.image) return built_in_image();
    ImageLoading loading = load_image_file(*settings.image);
    if (!loading.image) problem = loading.refusal;
    return std::move(loading.image);
}

}  // namespace zizuvu
