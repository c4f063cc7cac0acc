#include "platform/linux/port_readiness.hpp"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <algorithm>

#include "platform/linux/open_ports.hpp"

namespace zizuvu {

bool set_input_minimum(int fd, int minimum) {
    const auto wanted = static_cast<cc_t>(std::clamp(minimum, 1, MAX_INPUT_MINIMUM));
    const OpenPort state = open_port_record(fd);
    if (!state.is_terminal) return true;
    if (state.input_minimum == wanted) return true;
    termios mode{};
    if (tcgetattr(fd, &mode) != 0) return false;
    mode.c_cc[VMIN] = wanted;
    mode.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &mode) != 0) return false;
    update_port(fd, [wanted](OpenPort& record) { record.input_minimum = wanted; });
    return true;
}

RaisedInputMinimum::RaisedInputMinimum(int fd, int minimum)
    : fd_(fd), raised_(minimum > 1), ok_(!raised_ || set_input_minimum(fd, minimum)) {}

RaisedInputMinimum::~RaisedInputMinimum() {
    if (raised_ && ok_) set_input_minimum(fd_, 1);
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
