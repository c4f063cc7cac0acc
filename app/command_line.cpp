#include "app/command_line.hpp"

#include <string_view>

#include "app/program_version.hpp"

namespace zizuvu {

CommandLineRequest read_command_line(int argc, const char* const* argv) {
    if (argc <= 1) return CommandLineRequest::run;
    if (argc > 2) return CommandLineRequest::usage_error;
    const std::string_view argument = argv[1];
    if (argument == "--help") return CommandLineRequest::help;
    if (argument == "--version") return CommandLineRequest::version;
    return CommandLineRequest::usage_error;
}

std::string usage_text() {
    return "usage: zizuvu [--help | --version]\n"
           "\n"
           "Loads the firmware image built into it into a 900 MHz radio modem over a serial\n"
           "port, and opens a pass-through terminal to the radio's setup menu. Without\n"
           "arguments it takes over the terminal (80 x 51) and shows its menu; Escape there\n"
           "ends it.\n"
           "\n"
           "Ports: ComN (1 to 9) opens the path in the environment variable ZIZUVU_COM<N>,\n"
           "else /dev/ttyS<N-1>.\n"
           "\n"
           "  --help     this text\n"
           "  --version  the program's version\n";
}

std::string version_text() { return "zizuvu " + std::string(PROGRAM_VERSION) + "\n"; }

}  // namespace zizuvu
