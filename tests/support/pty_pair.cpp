#include "tests/support/pty_pair.hpp"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>

namespace zizuvu::testing {

PtyPair::PtyPair() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) return;
    const char* name = grantpt(master) == 0 && unlockpt(master) == 0 ? ptsname(master) : nullptr;
    if (name == nullptr) {
        close(master);
        return;
    }
    port_path_ = name;
    master_ = master;
}

PtyPair::~PtyPair() { hang_up(); }

void PtyPair::send(std::string_view bytes) {
    while (!bytes.empty() && master_ >= 0) {
        const ssize_t written = write(master_, bytes.data(), bytes.size());
        if (written <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::string PtyPair::receive(std::size_t count, std::chrono::milliseconds limit) {
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (bytes.size() < count && master_ >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd in{master_, POLLIN, 0};
        if (poll(&in, 1, static_cast<int>(left.count())) <= 0 || (in.revents & POLLIN) == 0) break;
        char buffer[512];
        const ssize_t got = read(master_, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (got <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

termios PtyPair::far_end_mode() const {
    termios mode{};
    tcgetattr(master_, &mode);
    return mode;
}

void PtyPair::set_far_end_mode(const termios& mode) { tcsetattr(master_, TCSANOW, &mode); }

void PtyPair::hold_port_output() {
    termios mode = far_end_mode();
    mode.c_iflag |= IXON;
    set_far_end_mode(mode);
    send("\x13");
    // The XOFF reaches the port's side through a kernel worker, and the port could
    // write past it meanwhile (measured: nearly half the time). A poll of the port's
    // side with no unread input waits for that worker: the hold is in place on return.
    const int port = open(port_path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port < 0) return;
    pollfd watched{port, POLLIN, 0};
    poll(&watched, 1, 0);
    close(port);
}

void PtyPair::release_port_output() { send("\x11"); }

void PtyPair::hang_up() {
    if (master_ >= 0) close(master_);
    master_ = -1;
}

ScopedEnvironment::ScopedEnvironment(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    setenv(name_.c_str(), value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (old_) {
        setenv(name_.c_str(), old_->c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

}  // namespace zizuvu::testing
