#include "platform/port_wait.hpp"
#include "platform/win32/port_status.hpp"
#include "platform/win32/win32_console.hpp"

namespace zizuvu {

PortWaitEnd wait_for_port_or_key(Console& console, ChannelTable& channels, int number, int min_bytes) {
    // Keys already translated sit in the queue, where no wait can see them.
    if (termination_requested(console) || !console.keys.empty()) return PortWaitEnd::waited;
    const OsHandle port = find_channel_handle(channels, number);
    if (port == NO_OS_HANDLE) {
        wait_for_input(console);
        return PortWaitEnd::waited;
    }
    PortStatus status;
    if (!peek_port_status(port, status)) return PortWaitEnd::port_gone;
    if (status.errors != 0 || status.bytes_in_queue >= static_cast<std::uint32_t>(min_bytes)) {
        return PortWaitEnd::waited;
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
