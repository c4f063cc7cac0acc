#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>

#include "platform/linux/open_ports.hpp"
#include "platform/linux/port_names.hpp"
#include "platform/linux/port_readiness.hpp"
#include "platform/linux/termios_line_state.hpp"
#include "platform/port_io.hpp"
#include "platform/system_error_map.hpp"

namespace zizuvu {
namespace {

using Clock = std::chrono::steady_clock;

// The Linux terminal layer's buffers are fixed in size: 4096 bytes of input in the
// line discipline, a page of output in the serial core.
constexpr std::uint32_t LINUX_TTY_BUFFER_SIZE = 4096;

bool fail_with(int error) {
    errno = error;
    return false;
}

bool usable(OsHandle port) { return port >= 0 && port <= INT_MAX; }
int fd_of(OsHandle port) { return static_cast<int>(port); }

// A device without modem lines or without some driver feature (a pseudo-terminal)
// answers the ioctl with one of these: there is nothing to change, so it is done.
bool not_supported_here(int error) { return error == ENOTTY || error == EINVAL; }

// The descriptor of a port this process opened as a terminal; false, with errno, else.
bool terminal_port(OsHandle port) {
    if (!usable(port)) return fail_with(EBADF);
    return open_port_record(fd_of(port)).is_terminal || fail_with(ENOTTY);
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
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left, 0, INT_MAX));
}

// Blocks until the descriptor can take more or the time is up; false when it went
// away instead.
bool wait_writable(int fd, std::optional<Clock::time_point> deadline) {
    pollfd watched{fd, POLLOUT, 0};
    const int ready = poll(&watched, 1, poll_timeout(deadline));
    if (ready < 0) return errno == EINTR;
    if (ready == 0 || (watched.revents & POLLOUT) != 0) return true;
    // Hang-up: the next write reports it. Anything else is an error now.
    if ((watched.revents & POLLHUP) != 0) return true;
    return fail_with(EIO);
}

void restore_on_close(int fd, const OpenPort& record) {
    DriverSerialFlags driver(fd);
    restore_low_latency_on(driver, record.low_latency);
    // The next user of the port finds the usual raw input minimum, not our last wait's.
    if (record.input_minimum != 1) {
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
    OpenPort record;
    record.is_terminal = isatty(fd) == 1;
    if (record.is_terminal) {
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
        record.mode = raw_port_mode(mode);
        record.mode_known = true;
        if (const std::optional<LineCounters> counters = read_counters(fd)) {
            record.has_counters = true;
            record.counters = *counters;
        }
    }
    remember_port(fd, record);
    return true;
}

}  // namespace

OsHandle open_port(std::string_view port_name) {
    const std::string path = device_path_for_port(port_name);
    // No O_CREAT: a name that names nothing is a missing port, never a new file.
    // Non-blocking, so that the open does not wait for a carrier and a read takes
    // only what is there.
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

bool close_port(OsHandle port) {
    if (!usable(port)) return fail_with(EBADF);
    const int fd = fd_of(port);
    const OpenPort record = forget_port(fd);
    if (record.is_terminal) restore_on_close(fd, record);
    // Linux frees the descriptor even when close reports an interruption.
    return close(fd) == 0 || errno == EINTR;
}

bool is_serial_device(OsHandle port) { return usable(port) && open_port_record(fd_of(port)).is_terminal; }

bool get_line_settings(OsHandle port, LineSettings& settings) {
    if (!usable(port)) return fail_with(EBADF);
    termios mode{};
    if (tcgetattr(fd_of(port), &mode) != 0) return false;
    settings = line_settings_from_termios(mode);
    return true;
}

bool set_line_settings(OsHandle port, const LineSettings& settings) {
    if (!usable(port)) return fail_with(EBADF);
    const int fd = fd_of(port);
    termios before{};
    if (tcgetattr(fd, &before) != 0) return false;
    termios wanted = before;
    if (!apply_line_settings(wanted, settings)) return fail_with(EINVAL);
    if (same_line_settings(before, wanted)) return true;
    if (tcsetattr(fd, TCSADRAIN, &wanted) != 0) return false;
    // tcsetattr succeeds when any part was taken: read back what the driver made of it.
    termios now{};
    if (tcgetattr(fd, &now) != 0) return false;
    if (same_line_settings(now, wanted)) {
        update_port(fd, [&now](OpenPort& record) {
            record.mode = now;
            record.mode_known = true;
        });
        return true;
    }
    tcsetattr(fd, TCSANOW, &before);
    return fail_with(EINVAL);
}

bool set_dtr(OsHandle port, bool raised) {
    if (!usable(port)) return fail_with(EBADF);
    const int line = TIOCM_DTR;
    return ioctl(fd_of(port), raised ? TIOCMBIS : TIOCMBIC, &line) == 0 || not_supported_here(errno);
}

bool read_port_status(OsHandle port, PortStatus& status) {
    if (!terminal_port(port)) return false;
    const int fd = fd_of(port);
    // A terminal that has been hung up (the device gone) fails this, every time.
    const std::optional<int> waiting = input_waiting(fd);
    if (!waiting) return false;
    status = PortStatus{};
    status.bytes_waiting = static_cast<std::uint32_t>(std::max(*waiting, 0));
    const OpenPort record = open_port_record(fd);
    if (record.has_counters) {
        if (const std::optional<LineCounters> counters = read_counters(fd)) {
            status.errors = line_errors_between(record.counters, *counters);
            update_port(fd, [&counters](OpenPort& kept) { kept.counters = *counters; });
        }
    }
    return true;
}

bool read_port(OsHandle port, std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) {
    got = 0;
    if (!usable(port)) return fail_with(EBADF);
    if (count == 0) return true;
    const int fd = fd_of(port);
    for (;;) {
        const ssize_t n = read(fd, buffer, count);
        if (n > 0) {
            got = static_cast<std::uint32_t>(n);
            return true;
        }
        // A terminal reads 0 bytes only once it has been hung up; a file is at its end.
        if (n == 0) return !open_port_record(fd).is_terminal || fail_with(EIO);
        if (errno == EAGAIN) return true;
        if (errno != EINTR) return false;
    }
}

bool write_port(OsHandle port, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& written,
                std::optional<std::chrono::milliseconds> limit) {
    written = 0;
    if (!usable(port)) return fail_with(EBADF);
    const int fd = fd_of(port);
    const std::optional<Clock::time_point> deadline =
        limit ? std::optional<Clock::time_point>(Clock::now() + *limit) : std::nullopt;
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
        if (!wait_writable(fd, deadline)) return false;
    }
    return true;
}

bool get_buffer_sizes(OsHandle port, BufferSizes& sizes) {
    if (!terminal_port(port)) return false;
    sizes = BufferSizes{LINUX_TTY_BUFFER_SIZE, LINUX_TTY_BUFFER_SIZE};
    return true;
}

bool set_buffer_sizes(OsHandle port, const BufferSizes& /*sizes*/) { return terminal_port(port); }

bool discard_input(OsHandle port) { return terminal_port(port) && tcflush(fd_of(port), TCIFLUSH) == 0; }

bool discard_output(OsHandle port) { return terminal_port(port) && tcflush(fd_of(port), TCOFLUSH) == 0; }

bool port_gone(OsHandle port) { return usable(port) && port_hung_up(fd_of(port)); }

void request_low_latency(OsHandle port) {
    if (!is_serial_device(port)) return;
    const int fd = fd_of(port);
    DriverSerialFlags driver(fd);
    const LowLatencyChange change = request_low_latency_on(driver);
    if (change.turned_on) update_port(fd, [change](OpenPort& record) { record.low_latency = change; });
}

int last_port_error() { return error_number_for_errno(errno); }

}  // namespace zizuvu
