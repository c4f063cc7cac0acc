#include "platform/linux/termination_signals.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>

namespace zizuvu {
namespace {

// Signal handlers can reach only static data: these are the few bytes they need.
// The flags are lock-free atomics, taken with an exchange, so a signal that comes
// between a look and the clearing is never lost.
int pipe_fds[2] = {-1, -1};
std::atomic<int> first_termination{0};
std::atomic<bool> resize_seen{false};
std::atomic<bool> suspend_seen{false};
// Set with every byte put on the pipe: the pipe is read only when there is something
// on it, and a look for signals costs no system call otherwise.
std::atomic<bool> pipe_written{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "signal handlers may only touch lock-free atomics");

int fatal_fd = -1;
termios fatal_mode{};
bool fatal_mode_set = false;
char fatal_sequence[256];
std::size_t fatal_sequence_length = 0;

constexpr int terminating[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};
constexpr int fatal[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

void wake_waits() {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = write(pipe_fds[1], &byte, 1);
    // After the byte: a look that finds the flag always finds the byte to drain.
    pipe_written.store(true);
    errno = saved;
}

void on_terminating(int signal_number) {
    int none = 0;
    first_termination.compare_exchange_strong(none, signal_number);
    wake_waits();
}

void on_resize(int /*signal_number*/) {
    resize_seen.store(true);
    wake_waits();
}

void on_suspend(int /*signal_number*/) {
    suspend_seen.store(true);
    wake_waits();
}

void on_fatal(int signal_number) {
    if (fatal_fd >= 0) {
        [[maybe_unused]] const auto written = write(fatal_fd, fatal_sequence, fatal_sequence_length);
        if (fatal_mode_set) tcsetattr(fatal_fd, TCSANOW, &fatal_mode);
    }
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void handle(int signal_number, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal_number, &action, nullptr);
}

}  // namespace

bool install_signal_handlers() {
    if (pipe_fds[0] < 0) {
        if (pipe2(pipe_fds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    }
    for (int s : terminating) handle(s, on_terminating);
    for (int s : fatal) handle(s, on_fatal);
    handle(SIGWINCH, on_resize);
    handle(SIGTSTP, on_suspend);
    handle(SIGPIPE, SIG_IGN);
    return true;
}

void remove_signal_handlers() {
    for (int s : terminating) handle(s, SIG_DFL);
    for (int s : fatal) handle(s, SIG_DFL);
    handle(SIGWINCH, SIG_DFL);
    handle(SIGTSTP, SIG_DFL);
}

// A child shares its parent's pipe until it makes its own: either would drain the
// bytes that were meant to wake the other.
bool start_signals_afresh() {
    for (int& fd : pipe_fds) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
    first_termination.store(0);
    resize_seen.store(false);
    suspend_seen.store(false);
    pipe_written.store(false);
    return install_signal_handlers();
}

int signal_pipe_fd() { return pipe_fds[0]; }

ArrivedSignals take_signals() {
    if (pipe_written.exchange(false)) {
        char drain[64];
        while (pipe_fds[0] >= 0 && read(pipe_fds[0], drain, sizeof drain) > 0) {
        }
    }
    ArrivedSignals arrived;
    arrived.terminate = first_termination.load() != 0;
    arrived.resize = resize_seen.exchange(false);
    arrived.suspend = suspend_seen.exchange(false);
    return arrived;
}

int termination_signal() { return first_termination.load(); }

void set_fatal_restore(int terminal_fd, const termios* original_mode, std::string_view restore_sequence) {
    fatal_fd = -1;  // not used by a handler while it changes
    fatal_mode_set = original_mode != nullptr;
    if (original_mode != nullptr) fatal_mode = *original_mode;
    fatal_sequence_length = std::min(restore_sequence.size(), sizeof fatal_sequence);
    if (fatal_sequence_length > 0) std::memcpy(fatal_sequence, restore_sequence.data(), fatal_sequence_length);
    fatal_fd = terminal_fd;
}

}  // namespace zizuvu
