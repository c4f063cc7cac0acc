#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <optional>

#include "platform/linux/port_handles.hpp"
#include "platform/linux/port_names.hpp"
#include "platform/linux/port_readiness.hpp"
#include "platform/linux/termios_line_state.hpp"
#include "platform/port_io.hpp"
#include "platform/system_error_map.hpp"

namespace zizuvu {
namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

bool fail_with(int error) {
    errno = error;
    return false;
}

bool usable(OsHandle port) { return port >= 0 && port <= INT_MAX; }
int fd_of(OsHandle port) { return static_cast<int>(port); }

// A device without modem lines or without some driver feature (a pseudo-terminal)
// answers the ioctl with one of these: there is nothing to change, so it is done.
bool not_supported_here(int error) { return error == ENOTTY || error == EINVAL; }

bool require_terminal(int fd) {
    termios mode{};
    return tcgetattr(fd, &mode) == 0;
}

std::optional<DtrControl> current_dtr(int fd) {
    int lines = 0;
    if (ioctl(fd, TIOCMGET, &lines) == 0) return (lines & TIOCM_DTR) != 0 ? DtrControl::enable : DtrControl::disable;
    if (not_supported_here(errno)) return port_handle_state(fd).dtr;
    return std::nullopt;
}

bool apply_dtr(int fd, DtrControl wanted) {
    const std::optional<DtrControl> now = current_dtr(fd);
    if (!now) return false;
    if (*now != wanted) {
        const int line = TIOCM_DTR;
        if (ioctl(fd, wanted == DtrControl::enable ? TIOCMBIS : TIOCMBIC, &line) != 0 && !not_supported_here(errno)) {
            return false;
        }
    }
    update_port_handle(fd, [wanted](PortHandleState& state) { state.dtr = wanted; });
    return true;
}

std::optional<LineCounters> read_counters(int fd) {
    serial_icounter_struct counts{};
    if (ioctl(fd, TIOCGICOUNT, &counts) != 0) return std::nullopt;
    LineCounters counters;
    counters.overrun = static_cast<std::uint32_t>(counts.overrun);
    counters.frame = static_cast<std::uint32_t>(counts.frame);
    counters.parity = static_cast<std::uint32_t>(counts.parity);
    counters.brk = static_cast<std::uint32_t>(counts.brk);
    counters.buf_overrun = static_cast<std::uint32_t>(counts.buf_overrun);
    return counters;
}

// Milliseconds left until `deadline`, for poll(); -1 when there is none.
int poll_timeout(std::optional<Clock::time_point> deadline) {
    if (!deadline) return -1;
    const auto left = std::chrono::ceil<Milliseconds>(*deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<Milliseconds::rep>(left, 0, INT_MAX));
}

std::optional<Clock::time_point> earlier(std::optional<Clock::time_point> a, std::optional<Clock::time_point> b) {
    if (!a) return b;
    if (!b) return a;
    return std::min(*a, *b);
}

std::optional<Clock::time_point> after(Clock::time_point start, std::uint64_t milliseconds) {
    if (milliseconds == 0) return std::nullopt;
    return start + Milliseconds(static_cast<Milliseconds::rep>(milliseconds));
}

// Blocks until the descriptor is ready for `events` or the time is up; false when
// it went away instead.
bool wait_ready(int fd, short events, int timeout_ms) {
    pollfd watched{fd, events, 0};
    const int ready = poll(&watched, 1, timeout_ms);
    if (ready < 0) return errno == EINTR;
    if (ready == 0 || (watched.revents & events) != 0) return true;
    // Hang-up without data: the next read or write reports it. Anything else is an error now.
    if ((watched.revents & POLLHUP) != 0) return true;
    return fail_with(EIO);
}

// How a read under COMMTIMEOUTS ends.
struct ReadLimits {
    bool return_at_once = false;   // only what is already waiting
    bool return_on_first = false;  // wait for one byte, then return what is there
    std::optional<std::uint32_t> interval;
    std::uint64_t total_ms = 0;  // 0: no total limit
};

ReadLimits read_limits(const PortTimeouts& t, std::uint32_t count) {
    ReadLimits limits;
    if (t.read_interval == MAXDWORD && t.read_total_multiplier == 0 && t.read_total_constant == 0) {
        limits.return_at_once = true;
        return limits;
    }
    if (t.read_interval == MAXDWORD && t.read_total_multiplier == MAXDWORD && t.read_total_constant > 0 &&
        t.read_total_constant < MAXDWORD) {
        limits.return_on_first = true;
        limits.total_ms = t.read_total_constant;
        return limits;
    }
    if (t.read_interval != 0) limits.interval = t.read_interval;
    limits.total_ms = std::uint64_t{t.read_total_multiplier} * count + t.read_total_constant;
    return limits;
}

bool read_file(int fd, std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) {
    for (;;) {
        const ssize_t n = read(fd, buffer, count);
        if (n >= 0) {
            got = static_cast<std::uint32_t>(n);
            return true;
        }
        if (errno == EAGAIN) return true;
        if (errno != EINTR) return false;
    }
}

bool read_terminal(int fd, std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) {
    const ReadLimits limits = read_limits(port_handle_state(fd).timeouts, count);
    const Clock::time_point start = Clock::now();
    const std::optional<Clock::time_point> total_deadline = after(start, limits.total_ms);
    std::optional<Clock::time_point> interval_deadline;
    for (;;) {
        const ssize_t n = read(fd, buffer + got, count - got);
        if (n > 0) {
            got += static_cast<std::uint32_t>(n);
            if (got == count || limits.return_on_first) return true;
            if (limits.interval) interval_deadline = after(Clock::now(), *limits.interval);
            continue;
        }
        // A terminal reads 0 bytes only once it has been hung up.
        if (n == 0) return fail_with(EIO);
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return false;
        if (limits.return_at_once) return true;
        const std::optional<Clock::time_point> deadline = earlier(total_deadline, interval_deadline);
        if (deadline && Clock::now() >= *deadline) return true;
        // Sleep until everything still missing is there, unless an interval limit
        // needs to see each byte.
        const int minimum =
            limits.interval ? 1 : static_cast<int>(std::min<std::uint32_t>(count - got, MAX_INPUT_MINIMUM));
        const RaisedInputMinimum raised(fd, minimum);
        if (!wait_ready(fd, POLLIN, poll_timeout(deadline))) return false;
    }
}

void restore_on_close(int fd, const PortHandleState& state) {
    DriverSerialFlags driver(fd);
    restore_low_latency_on(driver, state.low_latency);
    // The next user of the port finds the usual raw input minimum, not our last wait's.
    if (state.input_minimum != 1) {
        termios mode{};
        if (tcgetattr(fd, &mode) == 0) {
            mode.c_cc[VMIN] = 1;
            tcsetattr(fd, TCSANOW, &mode);
        }
    }
    // Exclusive use ends with us, also for the other holders of the tty.
    ioctl(fd, TIOCNXCL);
}

// The freshly opened descriptor made this process's port: locked, raw, recorded.
bool take_port(int fd) {
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return false;
    PortHandleState state;
    state.is_terminal = isatty(fd) == 1;
    if (state.is_terminal) {
        // flock holds against every process that also locks, root or not;
        // TIOCEXCL keeps out unprivileged programs that do not lock.
        ioctl(fd, TIOCEXCL);
        termios mode{};
        bool raw = tcgetattr(fd, &mode) == 0;
        if (raw) {
            const termios raw_mode = raw_port_mode(mode);
            raw = tcsetattr(fd, TCSANOW, &raw_mode) == 0;
        }
        if (!raw) {
            const int error = errno;
            ioctl(fd, TIOCNXCL);
            return fail_with(error);
        }
        if (const std::optional<LineCounters> counters = read_counters(fd)) {
            state.has_counters = true;
            state.counters = *counters;
        }
    }
    remember_port_handle(fd, state);
    return true;
}

}  // namespace

bool get_line_state(OsHandle port, LineState& state) {
    if (!usable(port)) return fail_with(EBADF);
    const int fd = fd_of(port);
    termios mode{};
    if (tcgetattr(fd, &mode) != 0) return false;
    const std::optional<DtrControl> dtr = current_dtr(fd);
    if (!dtr) return false;
    state = line_state_from_termios(mode);
    state.dtr_control = *dtr;
    return true;
}

bool set_line_state(OsHandle port, const LineState& state) {
    if (!usable(port)) return fail_with(EBADF);
    const int fd = fd_of(port);
    termios before{};
    if (tcgetattr(fd, &before) != 0) return false;
    termios wanted = before;
    if (!apply_line_state(wanted, state)) return fail_with(EINVAL);
    if (!same_line_settings(before, wanted)) {
        if (tcsetattr(fd, TCSADRAIN, &wanted) != 0) return false;
        // tcsetattr succeeds when any part was taken: read back what the driver made of it.
        termios now{};
        if (tcgetattr(fd, &now) != 0) return false;
        if (!same_line_settings(now, wanted)) {
            tcsetattr(fd, TCSANOW, &before);
            return fail_with(EINVAL);
        }
    }
    return apply_dtr(fd, state.dtr_control);
}

bool get_port_timeouts(OsHandle port, PortTimeouts& timeouts) {
    if (!usable(port)) return fail_with(EBADF);
    if (!require_terminal(fd_of(port))) return false;
    timeouts = port_handle_state(fd_of(port)).timeouts;
    return true;
}

bool set_port_timeouts(OsHandle port, const PortTimeouts& timeouts) {
    if (!usable(port)) return fail_with(EBADF);
    if (!require_terminal(fd_of(port))) return false;
    update_port_handle(fd_of(port), [&timeouts](PortHandleState& state) { state.timeouts = timeouts; });
    return true;
}

bool read_port(OsHandle port, std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) {
    got = 0;
    if (!usable(port)) return fail_with(EBADF);
    if (count == 0) return true;
    const int fd = fd_of(port);
    if (!port_handle_state(fd).is_terminal) return read_file(fd, buffer, count, got);
    return read_terminal(fd, buffer, count, got);
}

bool write_port(OsHandle port, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& written) {
    written = 0;
    if (!usable(port)) return fail_with(EBADF);
    const int fd = fd_of(port);
    const PortTimeouts timeouts = port_handle_state(fd).timeouts;
    const std::optional<Clock::time_point> deadline =
        after(Clock::now(), std::uint64_t{timeouts.write_total_multiplier} * count + timeouts.write_total_constant);
    while (written < count) {
        const ssize_t n = write(fd, bytes + written, count - written);
        if (n > 0) {
            written += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n == 0) return fail_with(EIO);
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return false;
        if (deadline && Clock::now() >= *deadline) return true;
        if (!wait_ready(fd, POLLOUT, poll_timeout(deadline))) return false;
    }
    return true;
}

bool get_queue_sizes(OsHandle port, QueueSizes& sizes) {
    if (!usable(port)) return fail_with(EBADF);
    if (!require_terminal(fd_of(port))) return false;
    sizes = port_handle_state(fd_of(port)).queues;
    return true;
}

bool set_queue_sizes(OsHandle port, const QueueSizes& sizes) {
    // The buffers of the Linux terminal layer cannot be resized; like SetupComm,
    // which takes sizes as a recommendation, the request is kept and reported back.
    if (!usable(port)) return fail_with(EBADF);
    if (!require_terminal(fd_of(port))) return false;
    update_port_handle(fd_of(port), [&sizes](PortHandleState& state) { state.queues = sizes; });
    return true;
}

bool port_gone(OsHandle port) { return usable(port) && port_hung_up(fd_of(port)); }

bool is_serial_device(OsHandle port) { return usable(port) && port_handle_state(fd_of(port)).is_terminal; }

bool clear_port_errors(OsHandle port, PortStatus& status) {
    if (!usable(port)) return fail_with(EBADF);
    const int fd = fd_of(port);
    const PortHandleState state = port_handle_state(fd);
    if (!state.is_terminal) return fail_with(ENOTTY);
    if (port_hung_up(fd)) return fail_with(EIO);
    const std::optional<int> waiting = input_waiting(fd);
    if (!waiting) return false;
    status = PortStatus{};
    status.bytes_in_queue = static_cast<std::uint32_t>(std::max(*waiting, 0));
    if (state.has_counters) {
        if (const std::optional<LineCounters> counters = read_counters(fd)) {
            status.errors = line_errors_between(state.counters, *counters);
            update_port_handle(fd, [&counters](PortHandleState& record) { record.counters = *counters; });
        }
    }
    return true;
}

void request_low_latency(OsHandle port) {
    if (!usable(port)) return;
    const int fd = fd_of(port);
    if (!port_handle_state(fd).is_terminal) return;
    DriverSerialFlags driver(fd);
    const LowLatencyChange change = request_low_latency_on(driver);
    if (change.turned_on) update_port_handle(fd, [change](PortHandleState& state) { state.low_latency = change; });
}

OsHandle open_port_device(std::string_view port_name) {
    const std::string path = device_path_for_port(port_name);
    // No O_CREAT: a name that names nothing is a missing port, never a new file.
    // Non-blocking, so that the open does not wait for a carrier and reads can be
    // given Win32's time-out rules.
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return NO_OS_HANDLE;
    if (!take_port(fd)) {
        const int error = errno;
        close(fd);
        errno = error;
        return NO_OS_HANDLE;
    }
    return fd;
}

bool close_port_device(OsHandle port) {
    if (!usable(port)) return fail_with(EBADF);
    const int fd = fd_of(port);
    const PortHandleState state = forget_port_handle(fd);
    if (state.is_terminal) restore_on_close(fd, state);
    // Linux frees the descriptor even when close reports an interruption.
    return close(fd) == 0 || errno == EINTR;
}

int last_port_error() { return error_number_for_errno(errno); }

}  // namespace zizuvu
