// The command line as a technician types it: what each line asks for, and the
// one-line reason for every line that is refused.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "settings/command_line.hpp"
#include "settings/usage_text.hpp"

namespace zizuvu {
namespace {

const char* action_name(CommandAction action) {
    switch (action) {
    case CommandAction::run: return "run";
    case CommandAction::help: return "help";
    case CommandAction::version: return "version";
    case CommandAction::list: return "list";
    case CommandAction::check: return "check";
    case CommandAction::history: return "history";
    case CommandAction::flash: return "flash";
    case CommandAction::usage_error: return "error";
    }
    return "?";
}

// What was asked, in a few words: the action, then every option that was given.
std::string summary(const ParsedCommandLine& parsed) {
    if (parsed.action == CommandAction::usage_error) return "error: " + parsed.message;
    const CommandLineOptions& o = parsed.options;
    std::ostringstream out;
    out << action_name(parsed.action);
    for (const DeviceAssignment& d : o.devices) out << " Com" << d.port << "=" << d.path;
    if (o.port) out << " port=" << *o.port;
    if (o.baud) out << " baud=" << *o.baud;
    if (o.image) out << " image=" << *o.image;
    if (o.capture) out << " capture=" << *o.capture;
    if (o.capture_timestamps) out << " timestamps";
    if (o.capture_keys) out << " keys";
    if (o.records) out << " records=" << *o.records;
    if (o.config) out << " config=" << *o.config;
    if (o.serial) out << " serial=" << *o.serial;
    if (o.since) out << " since=" << o.since->year << "-" << o.since->month << "-" << o.since->day;
    if (o.history_format != HistoryFormat::table) out << (o.history_format == HistoryFormat::csv ? " csv" : " jsonl");
    if (o.radio) out << " radio=" << static_cast<int>(*o.radio);
    for (const PortChoice& p : o.flash_ports) out << " on=" << (p.port > 0 ? "Com" + std::to_string(p.port) : p.path);
    if (o.high_speed) out << " high";
    if (o.firmware_before_545) out << " before545";
    if (o.attempts) out << " attempts=" << *o.attempts;
    if (o.wait_seconds) out << " wait=" << *o.wait_seconds;
    if (o.flash_json) out << " json";
    return out.str();
}

ParsedCommandLine parse(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv = {"zizuvu"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    return parse_command_line(static_cast<int>(argv.size()), argv.data(), "5.80");
}

struct Case {
    std::vector<std::string> arguments;
    std::string expected;  // the summary, or "error: " and a piece of the reason
};

const std::vector<Case> CASES = {
    {{}, "run"},
    {{"/dev/ttyUSB0"}, "run Com1=/dev/ttyUSB0"},
    {{"./help"}, "run Com1=./help"},
    {{"/dev/a", "--com", "3=/dev/ttyUSB1", "--com=Com4=/dev/pts/5", "--port", "com3", "--baud", "38400"},
     "run Com1=/dev/a Com3=/dev/ttyUSB1 Com4=/dev/pts/5 port=3 baud=38400"},
    {{"--baud=019200"}, "run baud=19200"},
    {{"--capture", "caps", "--capture-timestamps", "--capture-keys", "--records", "r.db", "--config", "z.conf"},
     "run capture=caps timestamps keys records=r.db config=z.conf"},
    {{"--image", "fw.hex", "--check"}, "check image=fw.hex"},
    {{"--check"}, "check"},
    {{"--list", "--com", "2=/dev/x"}, "list Com2=/dev/x"},
    {{"--history"}, "history"},
    {{"--history", "--serial", "654321", "--since", "2024-02-29", "--port", "Com2", "--json"},
     "history port=2 serial=654321 since=2024-2-29 jsonl"},
    {{"--records", "x.db", "--history", "--csv"}, "history records=x.db csv"},
    {{"flash", "--radio", "older", "--port", "Com2", "--port", "/dev/ttyUSB0", "--high-speed",
      "--firmware-before-5.45", "--image", "a.hex", "--attempts", "5", "--wait-seconds", "3600", "--json"},
     "flash image=a.hex radio=0 on=Com2 on=/dev/ttyUSB0 high before545 attempts=5 wait=3600 json"},
    {{"--config", "b.conf", "flash", "--radio=current", "--com", "2=/dev/y", "--port", "com2"},
     "flash Com2=/dev/y config=b.conf radio=1 on=Com2"},
    {{"flash", "--radio", "retry"}, "flash radio=2"},
    {{"--help"}, "help"},
    {{"flash", "--help"}, "help"},
    {{"--version"}, "version"},

    {{"--bogus"}, "error: unknown option '--bogus'"},
    {{"-h"}, "error: unknown option '-h'"},
    {{"-"}, "error: unknown option '-'"},
    {{"/dev/a", "/dev/b"}, "error: unexpected argument '/dev/b'"},
    {{""}, "error: PATH is empty"},
    {{"help"}, "error: 'help' is not a device path; did you mean --help?"},
    {{"--baud"}, "error: --baud needs a value"},
    {{"--baud", "--check"}, "error: --baud needs a value"},
    {{"--baud", "1200"}, "error: --baud: '1200' is not a speed the terminal takes (4800, 9600, 19200, 38400"},
    {{"--baud", "0x4B00"}, "error: --baud: '0x4B00' is not a whole number"},
    {{"--baud", "\x1b[2J"}, "error: --baud: '?[2J' is not a whole number"},
    {{"--baud", "9600", "--baud", "19200"}, "error: --baud is given more than once"},
    {{"--port", "Com0"}, "error: --port: 'Com0' is not a port (Com1 to Com9)"},
    {{"--port", "2"}, "error: --port: '2' is not a port"},
    {{"--com", "0=/dev/x"}, "error: --com: '0' is not a port number (1 to 9)"},
    {{"--com", "10=/dev/x"}, "error: --com: '10' is not a port number"},
    {{"--com", "2="}, "error: --com '2=': the device path is empty"},
    {{"--com", "/dev/x"}, "error: --com: '/dev/x' is not N=PATH"},
    {{"/dev/a", "--com", "1=/dev/b"}, "error: two devices are given for Com1"},
    {{"--check", "--list"}, "error: --list and --check do not go together"},
    {{"--check", "--baud", "9600"}, "error: --baud does not go with --check"},
    {{"--list", "--image", "a.hex"}, "error: --image does not go with --list"},
    {{"--serial", "5"}, "error: --serial goes only with --history"},
    {{"--history", "/dev/x"}, "error: PATH does not go with --history"},
    {{"--history", "--csv", "--json"}, "error: --csv and --json do not go together"},
    {{"--history", "--serial", "16777216"}, "error: --serial: '16777216' is out of range (0 to 16777215)"},
    {{"--history", "--since", "2023-02-29"}, "error: --since: '2023-02-29' is not a day (YYYY-MM-DD)"},
    {{"--history", "--since", "2024-1-05"}, "error: --since: '2024-1-05' is not a day"},
    {{"--help", "--version"}, "error: --help takes no other arguments"},
    {{"--version", "/dev/x"}, "error: --version takes no other arguments"},
    {{"--check=no"}, "error: --check takes no value"},
    {{"flash"}, "error: flash needs --radio older, current or retry"},
    {{"flash", "--radio", "newer"}, "error: --radio: 'newer' is not older, current or retry"},
    {{"flash", "--radio", "current", "--firmware-before-5.45"}, "error: --firmware-before-5.45 goes only with --radio older"},
    {{"flash", "--radio", "older", "--attempts", "0"}, "error: --attempts: '0' is out of range (1 to 100)"},
    {{"flash", "--radio", "older", "--attempts", "-1"}, "error: --attempts: '-1' is not a whole number"},
    {{"flash", "--radio", "older", "--wait-seconds", "1.5"}, "error: --wait-seconds: '1.5' is not a whole number"},
    {{"flash", "--radio", "older", "--wait-seconds", "3601"}, "error: --wait-seconds: '3601' is out of range"},
    {{"flash", "--radio", "older", "--port", "Com12"}, "error: --port: 'Com12' is not a port (Com1 to Com9); give its device path instead"},
    {{"flash", "--radio", "older", "--port", "Com2", "--port", "com2"}, "error: --port 'com2' is given twice"},
    {{"flash", "--radio", "older", "--baud", "9600"}, "error: unknown option '--baud'"},
    {{"--baud", "9600", "flash", "--radio", "older"}, "error: --baud does not go with flash"},
    {{"--list", "flash", "--radio", "older"}, "error: --list does not go with flash"},
    {{"flash", "--radio", "older", "extra"}, "error: unexpected argument 'extra'"},
};

TEST(ParseCommandLine, EveryLineAsksForWhatItSaysOrIsRefusedWithItsReason) {
    for (const Case& c : CASES) {
        const ParsedCommandLine parsed = parse(c.arguments);
        const std::string got = summary(parsed);
        std::string line;
        for (const std::string& a : c.arguments) line += " [" + a + "]";
        if (c.expected.rfind("error: ", 0) != 0) {
            EXPECT_EQ(got, c.expected) << line;
            continue;
        }
        EXPECT_EQ(got.rfind(c.expected, 0), 0u) << line << "\n  got: " << got;
        EXPECT_EQ(parsed.exit_status, 2) << line;
        EXPECT_EQ(parsed.message.find('\n'), std::string::npos) << line;
        EXPECT_EQ(parsed.output.rfind("zizuvu: " + parsed.message + "\nusage: zizuvu", 0), 0u) << line;
    }
}

TEST(ParseCommandLine, HelpAndVersionAreTheTextsToPrint) {
    EXPECT_EQ(parse({"--version"}).output, "zizuvu 5.80\n");
    EXPECT_EQ(parse({"--help"}).output, usage_text());
    EXPECT_EQ(parse({"--help"}).exit_status, 0);
}

TEST(ParseCommandLine, HelpFitsEightyColumnsAndNamesEveryOptionTheTableUses) {
    const std::string help = usage_text();
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
    std::set<std::string> used;
    for (const Case& c : CASES) {
        if (c.expected.rfind("error: ", 0) == 0) continue;
        for (const std::string& a : c.arguments) {
            if (a.rfind("--", 0) == 0) used.insert(a.substr(0, a.find('=')));
        }
    }
    for (const std::string& option : used) EXPECT_NE(help.find("  " + option), std::string::npos) << option;
    for (const char* status : {"0 every port complete", "2 usage or bad input", "3 a port could not be opened",
                               "4 no radio answered", "5 a download failed", "6 ended by a signal"}) {
        EXPECT_NE(help.find(status), std::string::npos) << status;
    }
}

}  // namespace
}  // namespace zizuvu
