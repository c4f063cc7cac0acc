#include "tests/support/pty_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <sstream>

namespace zizuvu::testing {

std::string describe_mode(const termios& mode) {
    std::ostringstream out;
    out << std::hex << mode.c_iflag << ':' << mode.c_oflag << ':' << mode.c_cflag << ':' << mode.c_lflag;
    for (cc_t c : mode.c_cc) out << ':' << static_cast<int>(c);
    out << ':' << cfgetispeed(&mode) << ':' << cfgetospeed(&mode);
    return out.str();
}

std::unique_ptr<PtyProcess> PtyProcess::start(const std::vector<std::string>& arguments,
                                              const std::vector<std::string>& environment, int rows, int columns) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return nullptr;
    const char* slave_name = ptsname(master);
    const int slave = open(slave_name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) return nullptr;
    winsize size{};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(columns);
    ioctl(slave, TIOCSWINSZ, &size);

    std::vector<std::string> strings = arguments;
    std::vector<char*> argv;
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) return nullptr;
    if (pid == 0) {
        setsid();
        const int terminal = open(slave_name, O_RDWR);
        ioctl(terminal, TIOCSCTTY, 0);
        dup2(terminal, 0);
        dup2(terminal, 1);
        dup2(terminal, 2);
        if (terminal > 2) close(terminal);
        setenv("TERM", "xterm-256color", 1);
        for (const std::string& assignment : environment) putenv(const_cast<char*>(assignment.c_str()));
        execv(argv[0], argv.data());
        _exit(127);
    }
    return std::unique_ptr<PtyProcess>(new PtyProcess(master, slave, pid, rows, columns));
}

PtyProcess::PtyProcess(int master, int slave, pid_t pid, int rows, int columns)
    : master_(master), slave_(slave), pid_(pid), screen_(rows, columns) {}

PtyProcess::~PtyProcess() {
    if (!status_) {
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    close(master_);
    close(slave_);
}

void PtyProcess::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(master_, bytes.data(), bytes.size());
        if (written <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

bool PtyProcess::read_some(int timeout_ms) {
    pollfd in{master_, POLLIN, 0};
    if (poll(&in, 1, timeout_ms) <= 0 || (in.revents & POLLIN) == 0) return false;
    char buffer[65536];
    const ssize_t got = read(master_, buffer, sizeof buffer);
    if (got <= 0) return false;
    screen_.feed(std::string_view(buffer, static_cast<std::size_t>(got)));
    output_.append(buffer, static_cast<std::size_t>(got));
    return true;
}

bool PtyProcess::wait_until(const std::function<bool(const TerminalScreen&)>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done(screen_)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        read_some(static_cast<int>(left.count()));
    }
    return true;
}

bool PtyProcess::wait_for_text(std::string_view text, std::chrono::milliseconds limit) {
    return wait_until([&](const TerminalScreen& screen) { return screen.shows(text); }, limit);
}

void PtyProcess::drain_for(std::chrono::milliseconds period) {
    const auto end = std::chrono::steady_clock::now() + period;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return;
        read_some(static_cast<int>(left.count()));
    }
}

std::optional<int> PtyProcess::wait_exit(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!status_) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = status;
            break;
        }
        if (std::chrono::steady_clock::now() >= end) break;
        read_some(10);  // keep reading, so a program writing its last screen never blocks
    }
    drain_for(std::chrono::milliseconds(20));
    return status_;
}

void PtyProcess::signal(int signal_number) { kill(pid_, signal_number); }

std::string PtyProcess::terminal_mode() const {
    termios mode{};
    tcgetattr(slave_, &mode);
    return describe_mode(mode);
}

}  // namespace zizuvu::testing
