#include "platform/port_wait.hpp"

namespace zizuvu {

OsHandle port_to_watch(Console& console, ChannelTable& channels, int number) {
    if (termination_requested(console) || !console.keys.empty()) return NO_OS_HANDLE;
    const OsHandle port = find_channel_handle(channels, number);
    if (port == NO_OS_HANDLE) wait_for_input(console);
    return port;
}

}  // namespace zizuvu
