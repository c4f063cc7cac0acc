// Which setting wins: the command line, then ZIZUVU_COM<N>, then the configuration
// file, then the defaults; and where the configuration file is looked for.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "settings/resolve_settings.hpp"

namespace zizuvu {
namespace {

EnvironmentLookup environment_of(std::map<std::string, std::string> variables) {
    return [variables](std::string_view name) -> std::optional<std::string> {
        const auto found = variables.find(std::string(name));
        if (found == variables.end()) return std::nullopt;
        return found->second;
    };
}

ParsedCommandLine parse(std::vector<std::string> arguments) {
    std::vector<const char*> argv = {"zizuvu"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    return parse_command_line(static_cast<int>(argv.size()), argv.data(), "5.80");
}

Configuration configuration_of(const std::string& text) {
    const ConfigurationResult result = read_configuration(text, "/bench/zizuvu.conf");
    EXPECT_EQ(result.status, ConfigurationStatus::loaded) << result.message;
    return result.configuration;
}

SettingsResult resolve(std::vector<std::string> arguments, const std::string& file,
                       std::map<std::string, std::string> variables = {}) {
    return resolve_settings(parse(std::move(arguments)), configuration_of(file), environment_of(std::move(variables)));
}

TEST(Precedence, APortsDeviceComesFromTheFirstPlaceThatNamesIt) {
    struct Row {
        bool command_line, environment, file;
        std::string path;
        SettingSource source;
    };
    const std::vector<Row> rows = {
        {true, true, true, "/dev/cli", SettingSource::command_line},
        {true, false, true, "/dev/cli", SettingSource::command_line},
        {false, true, true, "/dev/env", SettingSource::environment},
        {false, false, true, "/dev/file", SettingSource::configuration},
        {false, true, false, "/dev/env", SettingSource::environment},
        {false, false, false, "", SettingSource::none},
    };
    for (const Row& row : rows) {
        const SettingsResult result =
            resolve(row.command_line ? std::vector<std::string>{"--com", "4=/dev/cli"} : std::vector<std::string>{},
                    row.file ? "com4 = \"/dev/file\"\n" : "",
                    row.environment ? std::map<std::string, std::string>{{"ZIZUVU_COM4", "/dev/env"}}
                                    : std::map<std::string, std::string>{{"ZIZUVU_COM4", ""}});
        ASSERT_TRUE(result.ok()) << result.problem;
        EXPECT_EQ(result.settings.ports[3].path, row.path);
        EXPECT_EQ(result.settings.ports[3].source, row.source);
        EXPECT_EQ(result.settings.ports[2].source, SettingSource::none);
    }
}

TEST(Precedence, TheCommandLineWinsOverTheFileAndTheFileOverTheDefaults) {
    const std::string file = "port = \"Com3\"\nbaud = 57600\nimage = \"/fw/a.hex\"\nrecords = \"r.db\"\ncapture_keys = true\n";
    const RunSettings from_file = resolve({}, file).settings;
    EXPECT_EQ(from_file.port, 3);
    EXPECT_EQ(from_file.baud, 57600u);
    EXPECT_EQ(*from_file.image, "/fw/a.hex");
    EXPECT_EQ(*from_file.records, "/bench/r.db");
    EXPECT_TRUE(from_file.capture.keys);
    EXPECT_EQ(from_file.configuration_file, "/bench/zizuvu.conf");

    const RunSettings from_line = resolve({"--port", "Com5", "--baud", "4800", "--image", "b.hex"}, file).settings;
    EXPECT_EQ(from_line.port, 5);
    EXPECT_EQ(from_line.baud, 4800u);
    EXPECT_EQ(*from_line.image, "b.hex");

    const RunSettings defaults = resolve({}, "").settings;
    EXPECT_EQ(defaults.port, 1);
    EXPECT_EQ(defaults.baud, 19200u);
    EXPECT_FALSE(defaults.image || defaults.records || defaults.capture.folder);

    // With --history, --port filters the records and leaves the starting port alone.
    const RunSettings history = resolve({"--history", "--port", "Com5"}, file).settings;
    EXPECT_EQ(history.port, 3);
    EXPECT_EQ(history.history.port, 5);
}

TEST(Precedence, FlashPortsComeFromTheCommandLineElseTheFile) {
    const std::string file = "com2 = \"/dev/file2\"\nflash_ports = [\"Com2\", \"/dev/ttyUSB7\"]\n";
    const FlashSettings from_file = resolve({"flash", "--radio", "older"}, file).settings.flash;
    ASSERT_EQ(from_file.ports.size(), 2u);
    EXPECT_EQ(from_file.ports[0].path, "/dev/file2");
    EXPECT_EQ(from_file.ports[1].path, "/dev/ttyUSB7");
    EXPECT_EQ(from_file.attempts, 3u);
    EXPECT_EQ(from_file.wait_seconds, 60u);

    const FlashSettings from_line =
        resolve({"flash", "--radio", "older", "--port", "Com2", "--port", "Com3"}, file, {{"ZIZUVU_COM2", "/dev/env2"}})
            .settings.flash;
    ASSERT_EQ(from_line.ports.size(), 2u);
    EXPECT_EQ(from_line.ports[0].path, "/dev/env2");
    EXPECT_EQ(from_line.ports[1].port, 3);
    EXPECT_EQ(from_line.ports[1].path, "");
}

TEST(Precedence, SettingsThatCannotWorkTogetherAreRefused) {
    EXPECT_NE(resolve({"flash", "--radio", "current"}, "").problem.find("no port to flash on"), std::string::npos);
    EXPECT_NE(resolve({"flash", "--radio", "current", "--port", "Com1", "--port", "/dev/x"}, "com1 = \"/dev/x\"\n")
                  .problem.find("Com1 and '/dev/x' are the same device"),
              std::string::npos);
    EXPECT_NE(resolve({"--capture-keys"}, "").problem.find("--capture-keys needs a folder"), std::string::npos);
    EXPECT_TRUE(resolve({"--capture-keys"}, "capture = \"caps\"\n").ok());
}

TEST(ConfigurationPath, XdgThenHomeOnLinuxAndAppDataOnWindows) {
    EXPECT_EQ(xdg_configuration_path(environment_of({{"XDG_CONFIG_HOME", "/x"}, {"HOME", "/h"}})),
              "/x/zizuvu/zizuvu.conf");
    EXPECT_EQ(xdg_configuration_path(environment_of({{"XDG_CONFIG_HOME", ""}, {"HOME", "/h"}})),
              "/h/.config/zizuvu/zizuvu.conf");
    EXPECT_EQ(xdg_configuration_path(environment_of({{"XDG_CONFIG_HOME", "rel"}, {"HOME", "/h"}})),
              "/h/.config/zizuvu/zizuvu.conf");
    EXPECT_EQ(xdg_configuration_path(environment_of({})), std::nullopt);
    EXPECT_EQ(windows_configuration_path(environment_of({{"APPDATA", "C:\\Users\\t\\AppData\\Roaming"}})),
              "C:\\Users\\t\\AppData\\Roaming\\zizuvu\\zizuvu.conf");

    const ConfigurationToLoad named = configuration_to_load(parse({"--config", "my.conf"}), environment_of({}));
    EXPECT_EQ(named.path, "my.conf");
    EXPECT_EQ(named.missing, MissingFile::refused);
    EXPECT_EQ(configuration_to_load(parse({}), environment_of({{"HOME", "/h"}})).missing, MissingFile::allowed);
}

}  // namespace
}  // namespace zizuvu
