#include "download/download_link.hpp"

#include <string_view>

#include "session/error_indicator.hpp"
#include "platform/clock.hpp"
#include "platform/port_io.hpp"
#include "platform/process_priority.hpp"
#include "serial/serial_channel.hpp"

namespace zizuvu {
namespace {

constexpr int FAILED_LINK_PAUSE_MS = 2000;

struct LinkSetting {
    int code;
    std::int32_t value;
};

// Data bits first: they rewrite the stop bits and the parity. DTR handshake off
// and then DTR line on leaves DTR raised for as long as the port is open.
constexpr LinkSetting link_settings[] = {
    {OPTION_BAUD_RATE, HANDSHAKE_BAUD},
    {OPTION_DATA_BITS, 8},
    {OPTION_PARITY_CHECK, 0},
    {OPTION_STOP_BITS, STOP_BITS_ONE},
    {OPTION_TRANSMIT_QUEUE, 1024},
    {OPTION_RECEIVE_QUEUE, 2048},
    {OPTION_CTS_FLOW, 0},
    {OPTION_DSR_FLOW, 0},
    {OPTION_DSR_SENSITIVITY, 0},
    {OPTION_DTR_HANDSHAKE, 0},
    {OPTION_DTR_LINE, 1},
};

void report_failed_link(Session& session, std::string_view message) {
    Console& console = session.console;
    show_error_indicator(session);
    print_text(console.screen, message);
    print_newline(console.screen);
    beep(console);
    close_all_channels(session.channels);
    // The operator gets the two seconds to read it, so it must be on the screen first.
    present_now(console);
    pause_ms(FAILED_LINK_PAUSE_MS);
}

}  // namespace

bool open_download_port(Session& session) {
    // An error left over from an earlier screen is shown now, so that the check
    // after the open answers for this open alone: a port that opened is never
    // reported as one that could not be opened.
    show_pending_error(session);
    open_channel(session.channels, session.port_settings.port_name, PORT_CHANNEL);
    if (error_number(session.errors) != 0) {
        report_failed_link(session, "Can't Open Com Port");
        return false;
    }
    for (const LinkSetting& setting : link_settings) {
        set_port_option(session.channels, PORT_CHANNEL, setting.code, setting.value);
    }
    if (error_number(session.errors) != 0) {
        report_failed_link(session, "Error Opening Com Port");
        return false;
    }
    request_low_latency(find_channel_handle(session.channels, PORT_CHANNEL));
    return true;
}

bool open_download_link(Session& session, DownloadLink& link) {
    if (!open_download_port(session)) return false;
    link.port_handle = channel_handle(session.channels, PORT_CHANNEL);
    // The eleven settings have just been read back by the channel, so this read can
    // fail only with the device gone; the speed switch then fails too, and says so.
    if (!get_line_settings(link.port_handle, link.saved_line_settings)) link.saved_line_settings = LineSettings{};
    discard_waiting_input(session, 0);
    show_pending_error(session);
    return true;
}

void switch_to_download_speed(Session& session, DownloadLink& link, int speed_code) {
    // Only 4 and 12 are ever chosen; anything not above 0 has no speed to go to.
    if (speed_code <= 0) return;
    raise_priority();
    link.speed_code = speed_code;
    link.saved_line_settings.baud_rate = static_cast<std::uint32_t>(download_baud(speed_code));
    const bool switched = set_line_settings(link.port_handle, link.saved_line_settings);
    restore_priority();
    // The radio is at the download speed by now: on a line that stayed behind, every
    // answer would be garbage and the download would stall into questions.
    if (!switched) {
        record_error(session.errors, ERROR_SETTING_REFUSED);
        show_error_indicator(session);
    }
}

void discard_waiting_input(Session& session, int threshold) {
    const std::int32_t waiting = bytes_waiting(session.channels, PORT_CHANNEL);
    if (waiting > threshold) read_channel(session.channels, PORT_CHANNEL, waiting);
}

void raise_priority() { set_process_priority(PriorityClass::raised); }

void restore_priority() { set_process_priority(PriorityClass::normal); }

bool note_if_line_lost(Session& session, DownloadReport& report) {
    if (!port_gone(find_channel_handle(session.channels, PORT_CHANNEL))) return false;
    report.line_lost = true;
    // The wait that found the device gone has shown its failure on the status row.
    report.line_error = session.last_error_shown != 0 ? session.last_error_shown : error_number(session.errors);
    return true;
}

}  // namespace zizuvu
