#include "platform/linux/low_latency.hpp"

#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace zizuvu {

LowLatencyChange request_low_latency_on(SerialFlagsDevice& device) {
    // A pseudo-terminal or a driver without the ioctl answers with an error: it
    // has no such mode and nothing is to be done.
    const int saved_errno = errno;
    LowLatencyChange change;
    int flags = 0;
    if (device.get_flags(flags) && (flags & ASYNC_LOW_LATENCY) == 0) {
        change.turned_on = device.set_flags(flags | static_cast<int>(ASYNC_LOW_LATENCY));
    }
    errno = saved_errno;
    return change;
}

void restore_low_latency_on(SerialFlagsDevice& device, LowLatencyChange change) {
    if (!change.turned_on) return;
    const int saved_errno = errno;
    int flags = 0;
    // Read again: only our bit goes back, whatever else changed meanwhile.
    if (device.get_flags(flags)) device.set_flags(flags & ~static_cast<int>(ASYNC_LOW_LATENCY));
    errno = saved_errno;
}

bool DriverSerialFlags::get_flags(int& flags) {
    serial_struct info{};
    if (ioctl(fd_, TIOCGSERIAL, &info) != 0) return false;
    flags = info.flags;
    return true;
}

bool DriverSerialFlags::set_flags(int flags) {
    serial_struct info{};
    if (ioctl(fd_, TIOCGSERIAL, &info) != 0) return false;
    info.flags = flags;
    return ioctl(fd_, TIOCSSERIAL, &info) == 0;
}

}  // namespace zizuvu
