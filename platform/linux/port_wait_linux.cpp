#include <algorithm>
#include <optional>

#include "platform/linux/port_readiness.hpp"
#include "platform/port_io.hpp"
#include "platform/port_wait.hpp"

namespace zizuvu {
namespace {

// Where the terminal cannot be told to wake for several bytes, the wait sleeps this
// long (or less, for a key) and lets the caller look again. The rest of an answer is
// normally there a byte time after its first part, so a download pays at most this
// per answer that comes in pieces, and the processor is never kept busy.
constexpr auto FALLBACK_SLEEP = std::chrono::milliseconds(10);

// The terminal reports the port readable once VMIN bytes are there: no more than
// min_bytes, or the wait would sleep past the answer, and more than are there
// already, or it would return at once. An answer usually arrives whole, so the
// minimum stays as it is whenever it fits, and changes cost a call only when needed.
bool wake_minimum_fits(int fd, int min_bytes, int waiting) {
    const int now = input_minimum(fd);
    if (now <= min_bytes && now > waiting) return true;
    return set_input_minimum(fd, min_bytes);
}

}  // namespace

PortLook look_at_port(OsHandle port, int min_bytes, int& waiting) {
    waiting = 0;
    // A file or a pipe reads as ready for ever without a byte to count: only a key
    // can end a wait on it.
    if (!is_serial_device(port)) return PortLook::short_of_bytes;
    // A terminal that has been hung up (the device gone) fails this every time.
    const std::optional<int> count = input_waiting(static_cast<int>(port));
    if (!count) return PortLook::gone;
    waiting = *count;
    return waiting >= min_bytes ? PortLook::enough : PortLook::short_of_bytes;
}

// poll() reports bytes already there and a hang-up at once; the caller's own count
// follows the wait. A system call less on every answer of a download.
PortLook look_at_fresh_port(OsHandle /*port*/, int /*min_bytes*/, int& waiting) {
    waiting = 0;
    return PortLook::short_of_bytes;
}

void wait_for_port_bytes(ConsoleIo& device, OsHandle port, int min_bytes, int waiting) {
    if (!is_serial_device(port)) return device.wait_for_input(NO_OS_HANDLE);
    if (wake_minimum_fits(static_cast<int>(port), std::min(min_bytes, MAX_INPUT_MINIMUM), waiting)) {
        return device.wait_for_input(port);
    }
    device.wait_for_input_or_time(FALLBACK_SLEEP);
}

}  // namespace zizuvu
