#include "sim/options.hpp"

#include <charconv>
#include <string_view>

namespace zizuvu::sim {
namespace {

bool number_in(std::string_view text, long low, long high, long& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

bool generation_named(std::string_view name, Generation& generation) {
    if (name == "any") generation = Generation::any;
    else if (name == "older") generation = Generation::older;
    else if (name == "x71") generation = Generation::x71;
    else if (name == "x72") generation = Generation::x72;
    else return false;
    return true;
}

}  // namespace

std::optional<RadioOptions> parse_options(int argc, const char* const* argv, std::string& why_not) {
    RadioOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            options.help = true;
            continue;
        }
        if (option == "--pace") {
            options.pace = true;
            continue;
        }
        if (i + 1 >= argc) {
            why_not = std::string(option) + " needs a value";
            return std::nullopt;
        }
        const std::string_view value = argv[++i];
        long number = 0;
        if (option == "--link") {
            options.link = value;
        } else if (option == "--dump") {
            options.dump = value;
        } else if (option == "--log") {
            options.log = value;
        } else if (option == "--inject") {
            options.inject = value;
        } else if (option == "--serial-number" && number_in(value, 0, 0xFFFFFF, number)) {
            options.settings.serial_number = static_cast<std::uint32_t>(number);
        } else if (option == "--generation" && generation_named(value, options.settings.generation)) {
        } else if (option == "--erase-ms" && number_in(value, 0, 600000, number)) {
            options.settings.erase_ms = static_cast<int>(number);
        } else if (option == "--resync-timeout" && number_in(value, 1, 86400000, number)) {
            options.settings.resync_timeout_ms = static_cast<int>(number);
        } else if (option == "--reappear-after" && number_in(value, 0, 86400000, number)) {
            options.reappear_after_ms = static_cast<int>(number);
        } else if (option == "--fault") {
            std::string why;
            auto fault = parse_fault(value, why);
            if (!fault) {
                why_not = "--fault " + std::string(value) + ": " + why;
                return std::nullopt;
            }
            options.settings.faults.faults.push_back(*fault);
        } else {
            why_not = "not understood: " + std::string(option) + " " + std::string(value);
            return std::nullopt;
        }
    }
    return options;
}

std::string help_text() {
    return std::string(
               "usage: zizuvu-radio [options]\n"
               "\n"
               "A simulated 900 MHz radio modem on a pseudo-terminal, for the program to talk to\n"
               "instead of a radio. It prints the path of the pseudo-terminal's far end (the\n"
               "radio's serial port, as the program opens it: point ZIZUVU_COM1 at it) and runs\n"
               "until it is ended with SIGTERM, SIGINT or SIGHUP.\n"
               "\n"
               "It starts in its setup menu, which answers keys with menu text (lines end in\n"
               "CR LF) at whatever speed the line is set to, and enters its download modes from\n"
               "the byte sequences the program's downloads send:\n"
               "  X.71 and older: \"1\" (baud rate page), \"1\" or \"4\" (115200 or 38400 baud),\n"
               "    Escape, \"4\" (service page), then the download code; the radio erases,\n"
               "    sends 0xFF at the chosen speed and echoes the address and data bytes.\n"
               "  X.72 and newer: \"4\", MODE_COMMAND, the speed code 4 or 12, the challenge; the\n"
               "    radio moves to 460800 / speed code baud, sends its identification (the\n"
               "    serial number masked by the challenge's key stream), erases on 0xAA and\n"
               "    answers 0xAA, then one frame per data byte; four 0xFF resynchronise.\n"
               "  Programming retry: four 0xFF at 115200 or 38400 baud go to programming.\n"
               "After a download (500 ms after the byte at 0xFFFF) or when an unfinished one has\n"
               "had no byte for the resync timeout, the radio is back in its setup menu.\n"
               "It checks what it receives (the line speed of every phase, read from the port\n"
               "settings the program made; check bytes; frame order; nothing sent ahead of an\n"
               "answer) and reports every violation on standard error.\n"
               "\n"
               "Options:\n"
               "  --link PATH            also make PATH a symbolic link to the far end\n"
               "  --serial-number N      the serial number it reports (default 123456, below 16777216)\n"
               "  --generation G         the download modes its firmware answers: older (X.71 and\n"
               "                         older before 5.45: the one-character code), x71 (X.71 and\n"
               "                         older at 5.45 or greater: the four-character code), x72\n"
               "                         (X.72 and newer: MODE_COMMAND, and the retry), any (default)\n"
               "  --erase-ms MS          how long its erase takes (default 300)\n"
               "  --resync-timeout MS    how long an unfinished download waits for the program\n"
               "                         before the radio goes back to its setup menu (default 30000)\n"
               "  --pace                 wire time: every byte takes ten bit times at the line's\n"
               "                         speed, each way, and answers wait for what they answer\n"
               "  --fault FAULT          make a fault (see below)\n"
               "  --dump FILE            write the programmed memory to FILE as Intel HEX at the\n"
               "                         end and on SIGUSR1 (programmed bytes only)\n"
               "  --log FILE             one line per byte received and sent: microseconds on the\n"
               "                         monotonic clock, in or out, the byte, the line speed; lines\n"
               "                         starting with # say what the radio did\n"
               "  --reappear-after MS    after SIGUSR2 has taken the line away, offer a new\n"
               "                         pseudo-terminal MS ms later (new path printed, link moved)\n"
               "  --inject PATH          make PATH a named pipe: whatever is written into it the\n"
               "                         radio sends on the line as it is, as its own output (to\n"
               "                         see what the program makes of control bytes, escape\n"
               "                         sequences or a flood of text)\n"
               "  --help                 this text\n"
               "\n") +
           FAULT_HELP +
           "\n"
           "Signals:\n"
           "  SIGUSR1   write the memory dump (with --dump) and the summary to standard error\n"
           "  SIGUSR2   the line goes away, as a USB adapter pulled out: the pseudo-terminal is\n"
           "            closed and the link removed; while away, SIGUSR2 brings a new one\n"
           "  SIGTERM, SIGINT, SIGHUP   end: dump, summary (bytes programmed, downloads,\n"
           "            violations) on standard error, link removed, exit status 0\n";
}

}  // namespace zizuvu::sim
