#pragma once
// One run's settings, put together from the command line, the environment
// (ZIZUVU_COM1..ZIZUVU_COM9), the configuration file and the defaults, in that order.
//
//   SettingSource            where a port's device came from
//   PortSetting              ComN's device; an unset one is the platform's default for ComN
//   CaptureSettings, HistoryOptions, FlashTarget, FlashSettings   each action's own
//   RunSettings              everything a run needs
//   SettingsResult           the settings, or the one-line reason they do not fit together
//   configuration_to_load    the file --config names, else the default one (a missing
//                            default file is no error)
//   resolve_settings         the command line, configuration and environment to RunSettings

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/command_line.hpp"
#include "settings/configuration.hpp"
#include "settings/environment.hpp"
#include "settings/setting_values.hpp"

namespace zizuvu {

enum class SettingSource { none, command_line, environment, configuration };

struct PortSetting {
    std::string path;  // empty when nothing names the device
    SettingSource source = SettingSource::none;
};

struct CaptureSettings {
    std::optional<std::string> folder;  // no capture when unset
    bool timestamps = false;
    bool keys = false;
};

struct HistoryOptions {
    std::optional<std::uint32_t> serial;
    std::optional<CalendarDay> since;
    std::optional<int> port;
    HistoryFormat format = HistoryFormat::table;
};

struct FlashTarget {
    int port = 0;      // 1..9 for ComN, 0 for a device named by its path
    std::string path;  // ComN's device from RunSettings::ports (empty: the platform's default)
};

struct FlashSettings {
    FlashRadio radio = FlashRadio::current;
    std::vector<FlashTarget> ports;
    bool high_speed = false;
    bool firmware_before_545 = false;
    unsigned attempts = DEFAULT_ATTEMPTS;
    unsigned wait_seconds = DEFAULT_WAIT_SECONDS;
    bool json = false;
};

struct RunSettings {
    CommandAction action = CommandAction::run;
    std::array<PortSetting, PORT_COUNT> ports;  // Com1 first
    int port = DEFAULT_PORT;
    std::uint32_t baud = DEFAULT_BAUD;
    std::optional<std::string> image;    // unset: the built-in image
    std::optional<std::string> records;  // unset: the program's default database
    CaptureSettings capture;
    HistoryOptions history;
    FlashSettings flash;
    std::string configuration_file;      // the file read; empty when none
};

struct SettingsResult {
    RunSettings settings;
    std::string problem;  // bad input, exit status 2
    bool ok() const { return problem.empty(); }
};

struct ConfigurationToLoad {
    std::optional<std::string> path;  // nothing: no file to look for
    MissingFile missing = MissingFile::allowed;
};

ConfigurationToLoad configuration_to_load(const ParsedCommandLine& parsed, const EnvironmentLookup& environment);
SettingsResult resolve_settings(const ParsedCommandLine& parsed, const Configuration& configuration,
                                const EnvironmentLookup& environment);

}  // namespace zizuvu
