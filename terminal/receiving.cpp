#include "terminal/receiving.hpp"

#include <algorithm>

#include "platform/port_io.hpp"
#include "serial/serial_channel.hpp"

namespace zizuvu {

void fetch_received(Session& session, OsHandle port, ReceivedBytes& received) {
    received.next = received.end = 0;
    const std::int32_t waiting = bytes_waiting(session.channels, PORT_CHANNEL);
    if (waiting <= 0) return;
    // Only what is already there: the read returns at once, whatever its time-outs.
    const auto count = std::min(static_cast<std::uint32_t>(waiting), ReceivedBytes::CAPACITY);
    std::uint32_t got = 0;
    if (!read_port(port, received.bytes.data(), count, got)) record_error(session.errors, ERROR_DEVICE_IO);
    received.end = std::min(got, count);
}

std::uint8_t take_received(ReceivedBytes& received) { return received.bytes[received.next++]; }

}  // namespace zizuvu
