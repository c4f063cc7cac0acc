#include "terminal/terminal_link.hpp"

#include "session/error_indicator.hpp"
#include "platform/port_io.hpp"
#include "serial/serial_channel.hpp"

namespace zizuvu {
namespace {

struct LinkSetting {
    int code;
    std::int32_t value;
};

// The download link's sequence with the terminal's own speed and a smaller receive
// queue. Data bits first: they rewrite the stop bits and the parity. DTR handshake
// off and then DTR line on leaves DTR raised until the port is closed.
void apply_terminal_settings(Session& session) {
    const LinkSetting settings[] = {
        {OPTION_BAUD_RATE, session.port_settings.baud_rate},
        {OPTION_DATA_BITS, 8},
        {OPTION_PARITY_CHECK, 0},
        {OPTION_STOP_BITS, STOP_BITS_ONE},
        {OPTION_TRANSMIT_QUEUE, 1024},
        {OPTION_RECEIVE_QUEUE, 1024},
        {OPTION_CTS_FLOW, 0},
        {OPTION_DSR_FLOW, 0},
        {OPTION_DSR_SENSITIVITY, 0},
        {OPTION_DTR_HANDSHAKE, 0},
        {OPTION_DTR_LINE, 1},
    };
    for (const LinkSetting& setting : settings) {
        set_port_option(session.channels, PORT_CHANNEL, setting.code, setting.value);
    }
}

void set_up_terminal_port(Session& session, TerminalLink& link) {
    apply_terminal_settings(session);
    link.port_handle = channel_handle(session.channels, PORT_CHANNEL);
}

// The port opened, if it is a serial device; false, with the reason in the error
// state, when there is none to be had.
bool open_serial_port(Session& session) {
    open_channel(session.channels, session.port_settings.port_name, PORT_CHANNEL);
    const OsHandle port = find_channel_handle(session.channels, PORT_CHANNEL);
    if (port == NO_OS_HANDLE) return false;
    if (is_serial_device(port)) return true;
    close_channel(session.channels, PORT_CHANNEL);
    record_error(session.errors, ERROR_DEVICE_UNAVAILABLE);
    return false;
}

void start_link(Session& session, TerminalLink& link) {
    set_up_terminal_port(session, link);
    reset_queue(link.queue);
    start_transmit_writer(link.writer, link.queue, link.port_handle);
}

}  // namespace

bool open_terminal_link(Session& session, TerminalLink& link) {
    const bool opened = open_serial_port(session);
    show_pending_error(session);
    if (opened) start_link(session, link);
    return opened;
}

bool reopen_terminal_link(Session& session, TerminalLink& link) {
    if (!open_serial_port(session)) {
        clear_error(session.errors);
        return false;
    }
    start_link(session, link);
    return true;
}

void close_terminal_link(Session& session, TerminalLink& link) {
    stop_transmit_writer(link.writer);
    // What the keys put in the driver and the line has not taken yet never reaches the
    // radio after "Q", and the close cannot wait on a held line. A discard that fails
    // (the device gone) had nothing to drop; the close reports what is wrong.
    if (link.port_handle != NO_OS_HANDLE) {
        [[maybe_unused]] const bool dropped = discard_output(link.port_handle);
    }
    close_channel(session.channels, PORT_CHANNEL);
    link.port_handle = NO_OS_HANDLE;
    show_pending_error(session);
}

void drop_terminal_link(Session& session, TerminalLink& link) {
    stop_transmit_writer(link.writer);
    // What closing a device that is no longer there says adds nothing to its loss.
    const ErrorState before = session.errors;
    close_channel(session.channels, PORT_CHANNEL);
    session.errors = before;
    link.port_handle = NO_OS_HANDLE;
}

}  // namespace zizuvu
