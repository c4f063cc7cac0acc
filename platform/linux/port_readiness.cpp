#include "platform/linux/port_readiness.hpp"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <algorithm>

#include "platform/linux/open_ports.hpp"

namespace zizuvu {

int input_minimum(int fd) { return open_port_record(fd).input_minimum; }

bool set_input_minimum(int fd, int minimum) {
    const auto wanted = static_cast<cc_t>(std::clamp(minimum, 1, MAX_INPUT_MINIMUM));
    const OpenPort record = open_port_record(fd);
    if (!record.is_terminal) return true;
    if (record.input_minimum == wanted) return true;
    // The settings this process last made stand for the device's own: one call, not two.
    termios mode = record.mode;
    if (!record.mode_known && tcgetattr(fd, &mode) != 0) return false;
    mode.c_cc[VMIN] = wanted;
    mode.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &mode) != 0) return false;
    update_port(fd, [&mode, wanted](OpenPort& kept) {
        kept.input_minimum = wanted;
        kept.mode = mode;
        kept.mode_known = true;
    });
    return true;
}

std::optional<int> input_waiting(int fd) {
    int count = 0;
    if (ioctl(fd, FIONREAD, &count) != 0) return std::nullopt;
    return count;
}

bool port_hung_up(int fd) {
    pollfd watched{fd, 0, 0};
    return poll(&watched, 1, 0) > 0 && (watched.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace zizuvu
