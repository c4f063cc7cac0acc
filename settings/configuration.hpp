#pragma once
// The configuration file (TOML; every key in zizuvu.conf.example), read into plain
// values. Relative paths in it are taken from the file's own folder.
//
//   Configuration          what the file sets; unset when the file does not say
//   ConfigurationStatus    loaded, missing (no error unless the file was named), refused
//   ConfigurationResult    the status, the values, and "FILE:LINE: reason" when refused
//   MissingFile            whether a missing file is refused (one named by --config)
//   load_configuration     read and check a file
//   read_configuration     check a file's text already read (path only for messages and
//                          relative paths)

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/setting_values.hpp"

namespace zizuvu {

struct Configuration {
    std::string file;  // the file read; empty when none
    std::array<std::optional<std::string>, PORT_COUNT> devices;  // com1..com9
    std::optional<int> port;
    std::optional<std::uint32_t> baud;
    std::optional<std::string> image;
    std::optional<std::string> records;
    std::optional<std::string> capture;
    std::optional<bool> capture_timestamps;
    std::optional<bool> capture_keys;
    std::vector<PortChoice> flash_ports;
};

enum class ConfigurationStatus { loaded, missing, refused };

struct ConfigurationResult {
    ConfigurationStatus status = ConfigurationStatus::missing;
    Configuration configuration;
    std::string message;  // refused: "FILE:LINE: reason" (or "FILE: reason" without a line)
};

enum class MissingFile { allowed, refused };

ConfigurationResult load_configuration(const std::string& path, MissingFile missing = MissingFile::allowed);
ConfigurationResult read_configuration(std::string_view text, const std::string& path);

}  // namespace zizuvu
