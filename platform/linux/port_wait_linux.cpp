#include <optional>

#include "platform/linux/port_readiness.hpp"
#include "platform/port_io.hpp"
#include "platform/port_wait.hpp"

namespace zizuvu {

PortWaitEnd wait_for_port_or_key(Console& console, ChannelTable& channels, int number, int min_bytes) {
    const OsHandle port = port_to_watch(console, channels, number);
    if (port == NO_OS_HANDLE) return PortWaitEnd::waited;
    const int fd = static_cast<int>(port);
    // A file or a pipe reads as ready for ever without a byte to count: only a key
    // can end a wait on it, or the wait would spin.
    if (!is_serial_device(port)) {
        wait_for_input(console);
        return PortWaitEnd::waited;
    }
    const std::optional<int> waiting = input_waiting(fd);
    if (!waiting || port_hung_up(fd)) return PortWaitEnd::port_gone;
    if (*waiting >= min_bytes) return PortWaitEnd::waited;
    // With nothing there yet, the first byte wakes the wait: an answer usually arrives
    // whole, and changing the terminal's settings around every wait would cost more
    // system calls than the exchange itself makes.
    if (*waiting == 0) {
        wait_for_input(console, port);
        return PortWaitEnd::waited;
    }
    // Part of it is there, so the port already reads as readable: the terminal then
    // reports it readable only once min_bytes are there, and poll() wakes for that, a
    // key, a signal or a hang-up, nothing else.
    const RaisedInputMinimum minimum(fd, min_bytes);
    if (minimum.ok()) wait_for_input(console, port);
    return PortWaitEnd::waited;
}

}  // namespace zizuvu
