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

}  // namespace

PortLook look_at_port(OsHandle port, int min_bytes) {
    // A file or a pipe reads as ready for ever without a byte to count: only a key
    // can end a wait on it.
    if (!is_serial_device(port)) return PortLook::short_of_bytes;
    const int fd = static_cast<int>(port);
    const std::optional<int> waiting = input_waiting(fd);
    if (!waiting || port_hung_up(fd)) return PortLook::gone;
    return *waiting >= min_bytes ? PortLook::enough : PortLook::short_of_bytes;
}

void wait_for_port_bytes(ConsoleIo& device, OsHandle port, int min_bytes) {
    if (!is_serial_device(port)) return device.wait_for_input(NO_OS_HANDLE);
    const int fd = static_cast<int>(port);
    // With nothing there yet, the first byte wakes the wait: an answer usually arrives
    // whole, and changing the terminal's settings around every wait would cost more
    // system calls than the exchange itself makes.
    if (input_waiting(fd).value_or(0) == 0) return device.wait_for_input(port);
    // Part of it is there, so the port already reads as readable: the terminal then
    // reports it readable only once min_bytes are there, and poll() wakes for that, a
    // key, a signal or a hang-up, nothing else.
    const RaisedInputMinimum minimum(fd, min_bytes);
    if (minimum.ok()) return device.wait_for_input(port);
    device.wait_for_input_or_time(FALLBACK_SLEEP);
}

}  // namespace zizuvu
