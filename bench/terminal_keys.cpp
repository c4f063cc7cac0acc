// The setup terminal's keys on their way to the radio, and what the terminal costs
// while nothing happens: the time from a key written to the operator's terminal until
// its byte is on the line, and processor use with the line and the keyboard silent.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

#include "bench/terminal_session.hpp"
#include "tests/support/process_usage.hpp"

int main() {
    using namespace std::chrono_literals;
    using Clock = std::chrono::steady_clock;
    zizuvu::testing::PtyPair line;
    auto program = zizuvu::bench::start_setup_terminal(line);
    if (!program) return 1;

    const double idle = zizuvu::testing::measure_idle(program->pid(), 5000ms);
    std::printf("setup terminal idle over 5 s: processor %.3f %% of one core (target < 1 %%)\n", idle);

    constexpr int KEYS = 500;
    std::vector<double> microseconds;
    for (int i = 0; i < KEYS; ++i) {
        const char key = static_cast<char>('a' + i % 16);  // never "q"
        const auto start = Clock::now();
        program->send(std::string(1, key));
        pollfd in{line.master(), POLLIN, 0};
        char got = 0;
        if (poll(&in, 1, 5000) <= 0 || read(line.master(), &got, 1) != 1 || got != key) {
            std::printf("key %d did not reach the line\n", i);
            return 1;
        }
        microseconds.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        std::this_thread::sleep_for(2ms);  // as keys come from a person: the terminal is idle in between
    }
    std::sort(microseconds.begin(), microseconds.end());
    const auto at = [&](double share) { return microseconds[static_cast<std::size_t>(share * (KEYS - 1))]; };
    std::printf("key to wire over %d keys: median %.0f us, 90 %% %.0f us, 99 %% %.0f us, slowest %.0f us"
                " (target: median under 1000 us)\n",
                KEYS, at(0.5), at(0.9), at(0.99), microseconds.back());
    program->send("q\x1b");
    program->wait_exit();
    return 0;
}
