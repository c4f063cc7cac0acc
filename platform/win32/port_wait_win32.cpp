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

PortLook look_once(OsHandle port, std::uint32_t wanted) {
    CommStatus status;
    if (!peek_port_status(port, status)) return PortLook::gone;
    return status.errors != 0 || status.bytes_in_queue >= wanted ? PortLook::enough : PortLook::short_of_bytes;
}

}  // namespace

PortLook look_at_port(OsHandle port, int min_bytes, int& waiting) {
    waiting = 0;
    const auto wanted = static_cast<std::uint32_t>(min_bytes);
    PortLook look = look_once(port, wanted);
    const auto end = std::chrono::steady_clock::now() + QUICK_LOOK_SPAN;
    while (look == PortLook::short_of_bytes && std::chrono::steady_clock::now() < end) {
        SwitchToThread();
        look = look_once(port, wanted);
    }
    return look;
}

// The moment's looking is what keeps a round trip short here: a fresh answer is looked
// for as any other.
PortLook look_at_fresh_port(OsHandle port, int min_bytes, int& waiting) { return look_at_port(port, min_bytes, waiting); }

void wait_for_port_bytes(ConsoleIo& device, OsHandle port, int /*min_bytes*/, int /*waiting*/) {
    CommStatus status;
    if (!peek_port_status(port, status)) return;
    if (auto* console = dynamic_cast<Win32Console*>(&device)) {
        // Wakes for every byte that arrives; the caller tests again until enough are there.
        console->wait_for_input_or_bytes(port, status.bytes_in_queue);
    } else {
        device.wait_for_input(port);
    }
}

}  // namespace zizuvu
