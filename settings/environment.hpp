#pragma once
// The environment as settings read it, passed in so that tests never read or change
// the real one, and where the configuration file is looked for.
//
//   EnvironmentLookup            one variable's value, or nothing when unset
//   process_environment          the lookup of this process's real environment
//   xdg_configuration_path       $XDG_CONFIG_HOME/zizuvu/zizuvu.conf, else ~/.config/...
//   windows_configuration_path   %APPDATA%\zizuvu\zizuvu.conf
//   default_configuration_path   the one of the two this program was built for
// Each path is nothing when the variables it needs are unset or empty.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zizuvu {

using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

EnvironmentLookup process_environment();
std::optional<std::string> xdg_configuration_path(const EnvironmentLookup& environment);
std::optional<std::string> windows_configuration_path(const EnvironmentLookup& environment);
std::optional<std::string> default_configuration_path(const EnvironmentLookup& environment);

}  // namespace zizuvu
