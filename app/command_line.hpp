#pragma once
// The program's command line: it takes no arguments for its work, only the two that
// every installed command answers.
//
//   CommandLineRequest   what the arguments ask for
//   read_command_line    argv to a request (anything unknown is a usage error)
//   usage_text           the text --help prints, and a wrong argument prints to stderr
//   version_text         the text --version prints

#include <string>

namespace zizuvu {

enum class CommandLineRequest { run, help, version, usage_error };

CommandLineRequest read_command_line(int argc, const char* const* argv);
std::string usage_text();
std::string version_text();

}  // namespace zizuvu
