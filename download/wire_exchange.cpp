#include "download/wire_exchange.hpp"

#include <algorithm>
#include <string_view>

#include "session/error_indicator.hpp"
#include "platform/port_io.hpp"
#include "serial/channel_wait.hpp"
#include "serial/serial_channel.hpp"

namespace zizuvu {
namespace {

// A read or write on the download's own handle bypasses the channel, which would have
// recorded its failure: the operator sees it on the status row all the same, at once.
void show_direct_failure(Session& session) {
    record_error(session.errors, last_port_error());
    show_error_indicator(session);
}

}  // namespace

void send_byte(Session& session, std::uint8_t byte) { send_bytes(session, std::span(&byte, 1)); }

void send_bytes(Session& session, std::span<const std::uint8_t> bytes) {
    write_channel(session.channels, PORT_CHANNEL,
                  std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool wait_for_answer(Session& session, int min_bytes) {
    bool told = false;
    bool first = true;
    for (;;) {
        // The wait comes before the tests: it returns at once whenever they would pass,
        // and a process that goes to sleep straight after its write lets the frame reach
        // the radio sooner (on a pseudo-terminal, about 10 us of every round trip). The
        // first wait, straight after the frame, goes to sleep without counting what is
        // waiting, which is one system call less on every answer of a download.
        PortWaitEnd end = PortWaitEnd::waited;
        if (told) {
            wait_for_input(session.console);
        } else if (first) {
            end = wait_for_fresh_answer(session.console, session.channels, PORT_CHANNEL, min_bytes);
        } else {
            end = wait_for_port_or_key(session.console, session.channels, PORT_CHANNEL, min_bytes);
        }
        first = false;
        if (bytes_waiting(session.channels, PORT_CHANNEL) >= min_bytes) return true;
        if (key_waiting(session.console)) return false;
        // The device went away (an adapter pulled): the wait can never end by itself.
        // The operator sees the failure on the status row at once, and then only a key
        // ends the wait. The look at the port just made has recorded the failure.
        if (end == PortWaitEnd::port_gone && !told && error_number(session.errors) != 0) {
            show_error_indicator(session);
            told = true;
        }
    }
}

void read_direct(Session& session, OsHandle port, std::uint8_t* bytes, std::uint32_t count) {
    // The wait before made sure the bytes are there. A read that fails all the same
    // (the device gone between the count and the read) leaves zeros, never the previous
    // answer to be compared again, and the comparison that follows puts it to the
    // operator; the failure itself is on the status row at once, as a wait's would be.
    std::fill(bytes, bytes + count, std::uint8_t{0});
    std::uint32_t got = 0;
    if (!read_port(port, bytes, count, got)) show_direct_failure(session);
}

DirectWrite write_direct(Session& session, OsHandle port, std::span<const std::uint8_t> bytes) {
    std::uint32_t written = 0;
    const bool succeeded = write_port(port, bytes.data(), static_cast<std::uint32_t>(bytes.size()), written);
    // The question that follows shows only the call's result; why it failed (the device
    // gone, most often) is on the status row at once, as a failed read's is.
    if (!succeeded) show_direct_failure(session);
    return {succeeded, written};
}

}  // namespace zizuvu
