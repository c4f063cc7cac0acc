// zizuvu-radio: the simulated radio the program's downloads and terminal talk to.
#include <sys/prctl.h>

#include <cstdio>

#include "sim/options.hpp"
#include "sim/radio_loop.hpp"

int main(int argc, char** argv) {
    using namespace zizuvu::sim;
    std::string why_not;
    const auto options = parse_options(argc, argv, why_not);
    if (!options) {
        std::fprintf(stderr, "zizuvu-radio: %s\n(zizuvu-radio --help says what it takes)\n", why_not.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(help_text().c_str(), stdout);
        return 0;
    }
    // Paced answers wake at bit-time deadlines of tens of microseconds: no timer slack.
    if (options->pace) prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    return run_radio(*options);
}
