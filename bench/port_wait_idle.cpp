// What the procedures' wait for the radio or a key costs: processor use while the
// port is silent and while only part of the awaited bytes has come, and how soon
// the wait ends when the rest or a key arrives. The waiting side is the program's
// own code (terminal console, channel layer, wait) on pseudo-terminal pairs. The
// terminal settings can be made to fail (tcsetattr is taken over here), to show that
// a wait whose port cannot be told to wake for several bytes still sleeps.
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/terminal_io.hpp"
#include "serial/channel_wait.hpp"
#include "tests/support/pty_pair.hpp"

namespace {

std::atomic<bool> refuse_terminal_settings{false};

}  // namespace

// Every tcsetattr of this program comes here; the real one unless told to refuse.
extern "C" int tcsetattr(int fd, int actions, const struct termios* mode) {
    using Real = int (*)(int, int, const struct termios*);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "tcsetattr"));
    if (refuse_terminal_settings || real == nullptr) {
        errno = EIO;
        return -1;
    }
    return real(fd, actions, mode);
}

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using zizuvu::testing::PtyPair;

constexpr int AWAITED_BYTES = 4;  // as the radio's identification

double thread_seconds(std::thread& thread) {
    clockid_t clock{};
    timespec used{};
    if (pthread_getcpuclockid(thread.native_handle(), &clock) != 0 || clock_gettime(clock, &used) != 0) return 0;
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

double process_seconds() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

// The waiting side, as a download's polling loop: wait, then test the port, then the keyboard.
struct Waiter {
    zizuvu::Console& console;
    zizuvu::ChannelTable& channels;
    std::atomic<long> wakeups{0};
    std::atomic<bool> stop{false};

    void run() {
        while (!stop) {
            zizuvu::wait_for_port_or_key(console, channels, zizuvu::PORT_CHANNEL, AWAITED_BYTES);
            ++wakeups;
            if (zizuvu::bytes_waiting(channels, zizuvu::PORT_CHANNEL) >= AWAITED_BYTES) {
                zizuvu::read_channel(channels, zizuvu::PORT_CHANNEL, AWAITED_BYTES);
                zizuvu::write_channel(channels, zizuvu::PORT_CHANNEL, "A");  // the answer the far end times
            }
            if (zizuvu::key_waiting(console)) {
                const zizuvu::KeyText key = zizuvu::poll_key(console);
                if (key.is('q')) return;
                zizuvu::write_channel(channels, zizuvu::PORT_CHANNEL, "K");
            }
        }
    }
};

void print_idle(const char* what, std::thread& waiter, Waiter& state, std::chrono::seconds period) {
    const double thread_before = thread_seconds(waiter);
    const double process_before = process_seconds();
    const long wakeups_before = state.wakeups;
    std::this_thread::sleep_for(period);
    const double seconds = static_cast<double>(period.count());
    std::printf(
        "%s over %lld s: waiting thread %.4f %% of one core, whole process %.4f %%, %ld wake-ups"
        " (target: under 1 %%)\n",
        what, static_cast<long long>(period.count()), 100.0 * (thread_seconds(waiter) - thread_before) / seconds,
        100.0 * (process_seconds() - process_before) / seconds, state.wakeups - wakeups_before);
}

void print_latency(const char* what, std::vector<double>& microseconds) {
    std::sort(microseconds.begin(), microseconds.end());
    const auto at = [&](double share) {
        return microseconds[static_cast<std::size_t>(share * (microseconds.size() - 1))];
    };
    std::printf("%s, %zu rounds: median %.0f us, 90 %% %.0f us, 99 %% %.0f us, worst %.0f us\n", what,
                microseconds.size(), at(0.5), at(0.9), at(0.99), microseconds.back());
}

// From the far end sending to the far end receiving the answer, through one wait each.
std::vector<double> round_trips(PtyPair& sender, std::string_view bytes, PtyPair& radio, int rounds) {
    std::vector<double> microseconds;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        sender.send(bytes);
        if (radio.receive(1, 2s).size() != 1) break;
        microseconds.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        std::this_thread::sleep_for(1ms);
    }
    return microseconds;
}

}  // namespace

int main() {
    using namespace zizuvu;
    for (int n = 2; n <= 9; ++n) setenv(("ZIZUVU_COM" + std::to_string(n)).c_str(), "/nonexistent/zizuvu-bench", 1);
    PtyPair radio;
    PtyPair keyboard;
    if (!radio.ok() || !keyboard.ok()) {
        std::fprintf(stderr, "no pseudo-terminals\n");
        return 1;
    }
    setenv("ZIZUVU_COM1", radio.port_path().c_str(), 1);
    const int keyboard_fd = open(keyboard.port_path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::string why_not;
    auto terminal = UnixTerminal::take_over(keyboard_fd, keyboard_fd, why_not);
    if (!terminal) {
        std::fprintf(stderr, "%s\n", why_not.c_str());
        return 1;
    }
    ErrorState errors;
    ChannelTable channels(errors);
    open_channel(channels, "Com1", PORT_CHANNEL);
    if (error_number(errors) != 0) {
        std::fprintf(stderr, "cannot open the port: error %d\n", error_number(errors));
        return 1;
    }
    Console console(*terminal);
    Waiter state{console, channels};
    std::thread waiter([&state] { state.run(); });
    std::this_thread::sleep_for(200ms);
    keyboard.receive(1 << 20, 100ms);  // what the console drew

    print_idle("silent port, no key", waiter, state, 3s);
    radio.send("ab");
    std::this_thread::sleep_for(50ms);
    print_idle("2 of 4 bytes waiting", waiter, state, 3s);
    radio.send("cd");
    radio.receive(1, 2s);
    refuse_terminal_settings = true;
    radio.send("ab");
    std::this_thread::sleep_for(50ms);
    print_idle("2 of 4 bytes waiting, the input minimum cannot be raised", waiter, state, 3s);
    refuse_terminal_settings = false;
    radio.send("cd");
    radio.receive(1, 2s);

    std::vector<double> bytes = round_trips(radio, "wxyz", radio, 300);
    print_latency("4 bytes from the radio to the answer", bytes);
    std::vector<double> keys = round_trips(keyboard, "k", radio, 300);
    print_latency("a key to the answer", keys);

    keyboard.send("q");
    waiter.join();
    std::printf("errors recorded: %d (expected 0)\n", error_number(errors));
    return 0;
}
