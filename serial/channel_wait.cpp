#include "serial/channel_wait.hpp"

#include "platform/port_wait.hpp"

namespace zizuvu {

OsHandle port_to_watch(Console& console, ChannelTable& channels, int number) {
    if (termination_requested(console) || !console.keys.empty()) return NO_OS_HANDLE;
    const OsHandle port = find_channel_handle(channels, number);
    if (port == NO_OS_HANDLE) wait_for_input(console);
    return port;
}

namespace {

PortWaitEnd wait_after_look(Console& console, ChannelTable& channels, int number, int min_bytes,
                            PortLook (*look)(OsHandle, int, int&)) {
    const OsHandle port = port_to_watch(console, channels, number);
    if (port == NO_OS_HANDLE) return PortWaitEnd::waited;
    int waiting = 0;
    switch (look(port, min_bytes, waiting)) {
    case PortLook::gone:
        return PortWaitEnd::port_gone;
    case PortLook::enough:
        return PortWaitEnd::waited;
    case PortLook::short_of_bytes:
        break;
    }
    present_now(console);
    wait_for_port_bytes(console.io, port, min_bytes, waiting);
    console.waited = true;
    return PortWaitEnd::waited;
}

}  // namespace

PortWaitEnd wait_for_port_or_key(Console& console, ChannelTable& channels, int number, int min_bytes) {
    return wait_after_look(console, channels, number, min_bytes, look_at_port);
}

PortWaitEnd wait_for_fresh_answer(Console& console, ChannelTable& channels, int number, int min_bytes) {
    return wait_after_look(console, channels, number, min_bytes, look_at_fresh_port);
}

}  // namespace zizuvu
