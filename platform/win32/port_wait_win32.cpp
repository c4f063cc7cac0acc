#include <chrono>

#include "platform/port_wait.hpp"
#include "platform/win32/port_status.hpp"
#include "platform/win32/win32_console.hpp"

namespace zizuvu {
namespace {

// A radio in a lock-step exchange answers within a fraction of a millisecond, and
// wine's wait for a received byte looks at the port once a millisecond at best:
// the port is asked again for this long, giving the processor away between looks,
// before the wait blocks.
constexpr auto QUICK_LOOK_SPAN = std::chrono::microseconds(500);

// True once the port has enough bytes, a line error or has gone; `status` then says which.
bool answered_soon(OsHandle port, std::uint32_t wanted, PortStatus& status, bool& gone) {
    const auto end = std::chrono::steady_clock::now() + QUICK_LOOK_SPAN;
    do {
        SwitchToThread();
        if (!peek_port_status(port, status)) {
            gone = true;
            return true;
        }
        if (status.errors != 0 || status.bytes_in_queue >= wanted) return true;
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

}  // namespace

PortWaitEnd wait_for_port_or_key(Console& console, ChannelTable& channels, int number, int min_bytes) {
    const OsHandle port = port_to_watch(console, channels, number);
    if (port == NO_OS_HANDLE) return PortWaitEnd::waited;
    PortStatus status;
    if (!peek_port_status(port, status)) return PortWaitEnd::port_gone;
    if (status.errors != 0 || status.bytes_in_queue >= static_cast<std::uint32_t>(min_bytes)) {
        return PortWaitEnd::waited;
    }
    bool gone = false;
    if (answered_soon(port, static_cast<std::uint32_t>(min_bytes), status, gone)) {
        return gone ? PortWaitEnd::port_gone : PortWaitEnd::waited;
    }
    present_now(console);
    if (auto* device = dynamic_cast<Win32Console*>(&console.io)) {
        // Wakes for every byte that arrives; the caller tests again until enough are there.
        device->wait_for_input_or_bytes(port, status.bytes_in_queue);
    } else {
        console.io.wait_for_input(port);
    }
    console.waited = true;
    return PortWaitEnd::waited;
}

}  // namespace zizuvu
