#include <optional>

#include "platform/linux/port_readiness.hpp"
#include "platform/port_wait.hpp"

namespace zizuvu {

void wait_for_port_or_key(Console& console, ChannelTable& channels, int number, int min_bytes) {
    // Keys already decoded sit in the queue, where poll() cannot see them.
    if (termination_requested(console) || !console.keys.empty()) return;
    const OsHandle port = find_channel_handle(channels, number);
    if (port == NO_OS_HANDLE) return wait_for_input(console);
    const int fd = static_cast<int>(port);
    // A port that is gone (an adapter pulled) can never bring bytes again: only the
    // operator can end the wait, and polling the dead port would return at once forever.
    const std::optional<int> waiting = input_waiting(fd);
    if (!waiting || port_hung_up(fd)) return wait_for_input(console);
    if (*waiting >= min_bytes) return;
    // The terminal then reports the port readable only once min_bytes are there,
    // and poll() wakes for that, a key, a signal or a hang-up, nothing else.
    const RaisedInputMinimum minimum(fd, min_bytes);
    if (!minimum.ok()) return;
    wait_for_input(console, port);
}

}  // namespace zizuvu
