// What the setup terminal costs while the radio's device is gone (a USB adapter
// pulled): it waits for the operator's keys and looks for the device again every
// 500 ms, so it should use no more processor than when it sits idle with the device
// there, and wake only for those looks.
#include <cstdio>

#include "bench/terminal_session.hpp"
#include "tests/support/process_usage.hpp"

namespace {

using namespace std::chrono_literals;

constexpr auto PERIOD = 5000ms;

void print_figures(const char* what, pid_t pid) {
    const long switches_before = zizuvu::testing::context_switches(pid);
    const double percent = zizuvu::testing::measure_idle(pid, PERIOD);
    const double per_second =
        static_cast<double>(zizuvu::testing::context_switches(pid) - switches_before) / (PERIOD.count() / 1000.0);
    std::printf("%s over %lld s: processor %.3f %% of one core, %.1f wake-ups a second\n", what,
                static_cast<long long>(PERIOD.count() / 1000), percent, per_second);
}

}  // namespace

int main() {
    zizuvu::testing::PtyPair line;
    if (!line.ok()) {
        std::fprintf(stderr, "no pseudo-terminal for the line\n");
        return 1;
    }
    auto program = zizuvu::bench::start_setup_terminal(line);
    if (!program) return 1;
    print_figures("terminal idle, device there", program->pid());
    line.hang_up();
    if (!program->wait_for_text("not available - waiting for it", 10s)) {
        std::fprintf(stderr, "the terminal did not show the device gone\n");
        return 1;
    }
    print_figures("terminal, device gone      ", program->pid());
    std::printf("(targets: under 1 %% of one core; about 2 wake-ups a second while gone, for the looks)\n");
    program->send("q");
    program->wait_for_text("End program", 10s);
    program->send("\x1b");
    program->wait_exit();
    return 0;
}
