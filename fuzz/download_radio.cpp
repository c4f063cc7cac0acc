#include "fuzz/download_radio.hpp"

#include <fcntl.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace zizuvu::fuzzing {
namespace {

constexpr std::uint8_t KEY_CONTROL = 0x80;

struct RadioSide {
    int master = -1;
    std::string port_path;
};

RadioSide open_radio_side() {
    RadioSide side;
    // Non-blocking: a radio whose answer does not fit the line drops the rest, it
    // never stops the run.
    side.master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (side.master < 0 || grantpt(side.master) != 0 || unlockpt(side.master) != 0) std::abort();
    const char* name = ptsname(side.master);
    if (name == nullptr) std::abort();
    side.port_path = name;
    setenv("ZIZUVU_COM1", name, 1);
    for (int n = 2; n <= 9; ++n) {
        setenv(("ZIZUVU_COM" + std::to_string(n)).c_str(), ("/nonexistent/zizuvu-fuzz-com" + std::to_string(n)).c_str(), 1);
    }
    return side;
}

const RadioSide& radio() {
    static const RadioSide side = open_radio_side();
    return side;
}

int bytes_in(int fd) {
    int count = 0;
    return ioctl(fd, FIONREAD, &count) == 0 ? count : -1;
}

// Bytes written on the radio's side reach the port a moment later; the program must
// find them there when its wait returns, as it would on a real line.
void wait_until_arrived(OsHandle port, int expected) {
    if (port == NO_OS_HANDLE) return;
    const int fd = static_cast<int>(port);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (bytes_in(fd) >= 0 && bytes_in(fd) < expected && std::chrono::steady_clock::now() < limit) sched_yield();
}

}  // namespace

Opening opening_of(std::uint8_t first_byte) {
    const KeyText yes = character_key('Y');
    const KeyText no = character_key('N');
    const KeyText enter = character_key(KEY_ENTER);
    const KeyText high_speed = (first_byte & 0x04) != 0 ? yes : no;
    switch (first_byte & 0x03) {
        case 0: return {Procedure::older, {(first_byte & 0x08) != 0 ? yes : no, enter, high_speed, enter}};
        case 2: return {Procedure::retry, {high_speed, enter}};
        default: return {Procedure::current, {yes, enter, high_speed, enter}};
    }
}

int radio_side() { return radio().master; }

void drain_radio_side() {
    char buffer[4096];
    while (read(radio().master, buffer, sizeof buffer) > 0) {
    }
}

void flush_line() {
    drain_radio_side();
    const int port = open(radio().port_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port >= 0) {
        tcflush(port, TCIOFLUSH);
        close(port);
    }
    drain_radio_side();
}

void FuzzedBench::read_keys(KeyQueue& keys) {
    // One key at a time, once the program has taken the one before.
    if (!keys.empty()) return;
    if (!opening_keys_.empty()) {
        keys.push(opening_keys_.front());
        opening_keys_.pop_front();
    } else if (pressed_) {
        keys.push(*pressed_);
        pressed_.reset();
    }
}

void FuzzedBench::wait_for_input(OsHandle port) {
    drain_radio_side();
    if (ended_ || !opening_keys_.empty() || pressed_) return;
    if (next_ >= size_) {
        ended_ = true;  // the input is used up: the operator leaves
        return;
    }
    const std::uint8_t control = data_[next_++];
    if ((control & KEY_CONTROL) != 0) {
        pressed_ = character_key(static_cast<std::uint8_t>(control & ~KEY_CONTROL));
        return;
    }
    std::size_t count = control;
    if (count > size_ - next_) count = size_ - next_;
    if (count == 0) return;
    const int before = port == NO_OS_HANDLE ? 0 : bytes_in(static_cast<int>(port));
    const ssize_t sent = write(radio().master, data_ + next_, count);
    next_ += count;
    if (sent > 0) wait_until_arrived(port, before + static_cast<int>(sent));
}

}  // namespace zizuvu::fuzzing
