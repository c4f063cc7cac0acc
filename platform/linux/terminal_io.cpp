#include "platform/linux/terminal_io.hpp"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>

#include "platform/console_device.hpp"
#include "platform/linux/termination_signals.hpp"

namespace zizuvu {
namespace {

constexpr std::string_view ENTER_SEQUENCE = "\x1b[?1049h\x1b[?7l\x1b[?25l\x1b[2J";
// Undo of ENTER_SEQUENCE, and of the colours and cursor the renderer leaves behind.
constexpr std::string_view LEAVE_SEQUENCE = "\x1b[0m\x1b[?25h\x1b[?7h\x1b[?1049l";

termios raw_mode_of(termios mode) {
    // As a console keyboard: no echo, no line editing, no signals from keys (Ctrl+C is
    // the key 3), no flow control, no CR/NL translation; output untouched.
    mode.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
    mode.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    mode.c_cflag |= CS8;
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    return mode;
}

std::string size_request(TerminalSize size) {
    return "\x1b[8;" + std::to_string(size.rows) + ";" + std::to_string(size.columns) + "t";
}

}  // namespace

std::unique_ptr<UnixTerminal> UnixTerminal::take_over(int input_fd, int output_fd, std::string& why_not) {
    termios original{};
    if (isatty(input_fd) == 0 || tcgetattr(input_fd, &original) != 0) {
        why_not = "the keyboard is not a terminal";
        return nullptr;
    }
    if (isatty(output_fd) == 0) {
        why_not = "the screen is not a terminal";
        return nullptr;
    }
    if (!install_signal_handlers()) {
        why_not = "cannot watch for signals";
        return nullptr;
    }
    std::unique_ptr<UnixTerminal> terminal(new UnixTerminal(input_fd, output_fd, original));
    terminal->enter();
    return terminal;
}

UnixTerminal::UnixTerminal(int input_fd, int output_fd, const termios& original)
    : input_fd_(input_fd), output_fd_(output_fd), original_mode_(original) {
    read_size();
    original_size_ = size_;
    renderer_.resize(size_);
}

UnixTerminal::~UnixTerminal() { give_back(); }

void UnixTerminal::remember_undo(std::string_view undo) {
    restore_sequence_.insert(0, undo);
    set_fatal_restore(output_fd_, &original_mode_, restore_sequence_);
}

void UnixTerminal::enter() {
    restore_sequence_.clear();
    set_fatal_restore(output_fd_, &original_mode_, restore_sequence_);
    const termios raw = raw_mode_of(original_mode_);
    tcsetattr(input_fd_, TCSAFLUSH, &raw);
    remember_undo(LEAVE_SEQUENCE);
    if (size_requested_) remember_undo(size_request(original_size_));
    write_out(ENTER_SEQUENCE);
    renderer_.invalidate();
    entered_ = true;
}

void UnixTerminal::leave() {
    if (!entered_) return;
    entered_ = false;
    write_out(restore_sequence_);
    tcsetattr(input_fd_, TCSAFLUSH, &original_mode_);
    set_fatal_restore(-1, nullptr, {});
}

void UnixTerminal::give_back() {
    leave();
    remove_signal_handlers();
}

void UnixTerminal::write_out(std::string_view bytes) {
    while (!bytes.empty() && !lost_) {
        const ssize_t written = write(output_fd_, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && errno == EAGAIN) {
            pollfd out{output_fd_, POLLOUT, 0};
            poll(&out, 1, 100);
        } else {
            lost_ = true;
        }
    }
}

void UnixTerminal::read_size() {
    winsize ws{};
    if (ioctl(output_fd_, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0) {
        size_ = TerminalSize{ws.ws_row, ws.ws_col};
    }
}

void UnixTerminal::request_model_size(const Screen& screen) {
    // Ask once per model size; terminals that cannot resize ignore it and the
    // renderer shows a window of the screen instead.
    if (size_.rows == screen.height && size_.columns == screen.width) return;
    if (!size_requested_) remember_undo(size_request(original_size_));
    size_requested_ = true;
    output_ += size_request(TerminalSize{screen.height, screen.width});
}

void UnixTerminal::present(Screen& screen) {
    handle_signals();
    if (screen.geometry_changed) request_model_size(screen);
    renderer_.render(screen, output_);
    write_out(output_);
    output_.clear();
}

void UnixTerminal::handle_signals() {
    const ArrivedSignals arrived = take_signals();
    if (arrived.suspend) suspend();
    if (arrived.resize) {
        read_size();
        renderer_.resize(size_);
    }
}

void UnixTerminal::suspend() {
    leave();
    kill(getpid(), SIGSTOP);
    // Continued: the terminal may have been used by others meanwhile.
    enter();
    read_size();
    renderer_.resize(size_);
}

void UnixTerminal::read_keys(KeyQueue& keys) {
    handle_signals();
    const auto now = KeyDecoder::Clock::now();
    // Each byte fed makes at most one key and the expiry one more: read no more than
    // the queue can take, so that pasted text waits in the terminal instead of being lost.
    const std::size_t room = keys.room();
    pollfd in{input_fd_, POLLIN, 0};
    if (!lost_ && room > 1 && poll(&in, 1, 0) > 0) {
        if ((in.revents & POLLIN) != 0) {
            std::uint8_t bytes[256];
            const ssize_t got = read(input_fd_, bytes, std::min(sizeof bytes, room - 1));
            if (got > 0) {
                for (ssize_t i = 0; i < got; ++i) decoder_.feed(bytes[i], now, keys);
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                lost_ = true;
            }
        } else if ((in.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            lost_ = true;
        }
    }
    decoder_.expire(now, keys);
}

void UnixTerminal::wait_for_input(OsHandle port) { wait(port, std::nullopt); }

void UnixTerminal::wait_for_input_or_time(std::chrono::milliseconds limit) { wait(NO_OS_HANDLE, limit); }

void UnixTerminal::wait(OsHandle port, std::optional<std::chrono::milliseconds> limit) {
    if (termination_requested()) return;
    pollfd fds[3] = {{input_fd_, POLLIN, 0}, {signal_pipe_fd(), POLLIN, 0}, {static_cast<int>(port), POLLIN, 0}};
    const nfds_t count = port == NO_OS_HANDLE ? 2 : 3;
    auto timeout = std::max(limit.value_or(std::chrono::milliseconds::max()), std::chrono::milliseconds(0));
    // A half-read key sequence becomes a key when its time is up: wake for that too.
    if (const auto due = decoder_.deadline()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - KeyDecoder::Clock::now());
        timeout = std::min(timeout, std::max(left, std::chrono::milliseconds(0)));
    }
    const int timeout_ms = timeout == std::chrono::milliseconds::max()
                               ? -1
                               : static_cast<int>(std::min<std::chrono::milliseconds::rep>(timeout.count(), INT32_MAX));
    poll(fds, count, timeout_ms);
}

void UnixTerminal::beep() { output_ += '\a'; }

bool UnixTerminal::termination_requested() const { return lost_ || termination_signal() != 0; }

std::unique_ptr<ConsoleIo> take_over_console(std::string& why_not) {
    const int output_fd = isatty(STDOUT_FILENO) != 0 ? STDOUT_FILENO : STDERR_FILENO;
    return UnixTerminal::take_over(STDIN_FILENO, output_fd, why_not);
}

void end_as_termination_asked() {
    const int signal_number = termination_signal();
    if (signal_number == 0) return;
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

}  // namespace zizuvu
