// Arbitrary bytes as a command line, the arguments separated by NUL bytes: every one
// is an action or a usage error with a one-line reason, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/command_line.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1, "zizuvu");
    arguments.emplace_back();
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.emplace_back();
        } else {
            arguments.back() += static_cast<char>(data[i]);
        }
    }
    if (size == 0) arguments.pop_back();
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    const zizuvu::ParsedCommandLine parsed = zizuvu::parse_command_line(static_cast<int>(argv.size()), argv.data(), "0");
    const bool refused = parsed.action == zizuvu::CommandAction::usage_error;
    if (refused && (parsed.message.empty() || parsed.message.find('\n') != std::string::npos)) std::abort();
    return 0;
}
