#pragma once
// The program's command line, read into plain values; nothing is opened or acted on.
//
//   CommandAction        what the arguments ask for (run, help, ..., usage_error)
//   HistoryFormat        how --history prints the records
//   FlashRadio           which download `flash` runs
//   DeviceAssignment     a device put behind ComN (PATH for Com1, --com N=PATH)
//   CommandLineOptions   every option as given; unset when not given
//   ParsedCommandLine    the action, the options, and what to print with which status
//   parse_command_line   argv to a ParsedCommandLine (anything unknown, malformed
//                        or out of range is a usage error with a one-line reason)

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/setting_values.hpp"

namespace zizuvu {

enum class CommandAction { run, help, version, list, check, history, flash, usage_error };
enum class HistoryFormat { table, csv, json_lines };
// older: X.71 and older; current: X.72 and newer; retry: the program retry.
enum class FlashRadio { older, current, retry };

struct DeviceAssignment {
    int port = 0;  // 1..9
    std::string path;
};

struct CommandLineOptions {
    std::vector<DeviceAssignment> devices;  // PATH and --com, each port at most once
    std::optional<int> port;                // --port ComN: the starting port, or the history filter
    std::optional<std::uint32_t> baud;
    std::optional<std::string> image;       // --image, also flash --image
    std::optional<std::string> capture;
    bool capture_timestamps = false;
    bool capture_keys = false;
    std::optional<std::string> records;
    std::optional<std::string> config;
    // --history
    std::optional<std::uint32_t> serial;
    std::optional<CalendarDay> since;
    HistoryFormat history_format = HistoryFormat::table;
    // flash
    std::optional<FlashRadio> radio;
    std::vector<PortChoice> flash_ports;
    bool high_speed = false;
    bool firmware_before_545 = false;
    std::optional<unsigned> attempts;
    std::optional<unsigned> wait_seconds;
    bool flash_json = false;
};

struct ParsedCommandLine {
    CommandAction action = CommandAction::usage_error;
    CommandLineOptions options;
    std::string message;  // usage_error: what was wrong, one line
    std::string output;   // help and version: for standard output; usage_error: for standard error
    int exit_status = 0;  // help and version 0, usage_error 2; the other actions still have work to do
};

ParsedCommandLine parse_command_line(int argc, const char* const* argv, std::string_view version);

}  // namespace zizuvu
