#include "settings/environment.hpp"

#include <cstdlib>

namespace zizuvu {
namespace {

std::optional<std::string> non_empty(const EnvironmentLookup& environment, std::string_view name) {
    std::optional<std::string> value = environment(name);
    if (value && value->empty()) return std::nullopt;
    return value;
}

}  // namespace

EnvironmentLookup process_environment() {
    return [](std::string_view name) -> std::optional<std::string> {
        const char* value = std::getenv(std::string(name).c_str());
        if (value == nullptr) return std::nullopt;
        return std::string(value);
    };
}

std::optional<std::string> xdg_configuration_path(const EnvironmentLookup& environment) {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
    if (const auto config_home = non_empty(environment, "XDG_CONFIG_HOME"); config_home && config_home->front() == '/') {
        return *config_home + "/zizuvu/zizuvu.conf";
    }
    if (const auto home = non_empty(environment, "HOME")) return *home + "/.config/zizuvu/zizuvu.conf";
    return std::nullopt;
}

std::optional<std::string> windows_configuration_path(const EnvironmentLookup& environment) {
    if (const auto app_data = non_empty(environment, "APPDATA")) return *app_data + "\\zizuvu\\zizuvu.conf";
    return std::nullopt;
}

std::optional<std::string> default_configuration_path(const EnvironmentLookup& environment) {
#ifdef _WIN32
    return windows_configuration_path(environment);
#else
    return xdg_configuration_path(environment);
#endif
}

}  // namespace zizuvu
