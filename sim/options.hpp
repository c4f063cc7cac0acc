#pragma once
// zizuvu-radio's command line.
//
//   RadioOptions    everything the command line can choose
//   parse_options   argv to options, or the reason it is not understood
//   HELP_TEXT       what --help prints

#include <optional>
#include <string>

#include "sim/radio.hpp"

namespace zizuvu::sim {

struct RadioOptions {
    RadioSettings settings;
    std::string link;
    std::string dump;
    std::string log;
    std::string inject;
    bool pace = false;
    int reappear_after_ms = -1;  // -1: stays away until SIGUSR2 again
    bool help = false;
};

std::optional<RadioOptions> parse_options(int argc, const char* const* argv, std::string& why_not);

std::string help_text();

}  // namespace zizuvu::sim
