// Menu choice "1": the download for radios at X.72 and newer, up to the erase; the
// programming phase follows in programming_phase.cpp.
#include "session/error_indicator.hpp"
#include "download/download_procedures.hpp"
#include "download/download_link.hpp"
#include "download/download_log.hpp"
#include "download/download_screen.hpp"
#include "download/older_radio_download.hpp"
#include "download/programming_phase.hpp"
#include "download/radio_codes.hpp"
#include "download/radio_protocol.hpp"
#include "download/wire_exchange.hpp"
#include "platform/clock.hpp"
#include "serial/serial_channel.hpp"
#include "console/text_format.hpp"

namespace zizuvu {
namespace {

void send_checked(Session& session, std::uint8_t byte) {
    send_byte(session, byte);
    show_pending_error(session);
}

std::uint16_t draw_challenge(Downloads& downloads) {
    randomize(downloads.random, seconds_since_midnight());
    const double u = random_fraction(downloads.random);
    return static_cast<std::uint16_t>(round_to_int32(65534.0 * u + 1.0));
}

// Mode command, speed code and challenge at 19200 baud; returns the challenge.
std::uint16_t enter_download_mode(Session& session, Downloads& downloads, const DownloadLink& link) {
    send_checked(session, ENTRY_SERVICE_PAGE);
    pause_ms(300);
    discard_waiting_input(session, 0);
    show_pending_error(session);
    const DownloadCode command = mode_command();
    for (int i = 0; i < command.length; ++i) {
        send_checked(session, command.bytes[static_cast<std::size_t>(i)]);
        pause_ms(10);
    }
    send_checked(session, static_cast<std::uint8_t>(link.speed_code));
    const std::uint16_t challenge = draw_challenge(downloads);
    locate(session.console.screen, 10, 1);
    pause_ms(10);
    send_checked(session, static_cast<std::uint8_t>(challenge >> 8));
    pause_ms(10);
    send_checked(session, static_cast<std::uint8_t>(challenge & 0xFF));
    pause_ms(10);
    return challenge;
}

// The identification, the serial number and the erase request; false when the
// operator left the wait (channel closed).
bool identify_radio(Session& session, DownloadReport& report, std::uint16_t challenge) {
    Screen& screen = session.console.screen;
    report.phase = DownloadPhase::identifying;
    print_text(screen, "Waiting for Radio ID");
    print_newline(screen);
    if (!wait_for_answer(session, 4)) {
        poll_key(session.console);
        note_if_line_lost(session, report);
        close_channel(session.channels, PORT_CHANNEL);
        return false;
    }
    const std::string id = read_channel(session.channels, PORT_CHANNEL, 4);
    if (id.size() == 4 && static_cast<std::uint8_t>(id[0]) == ID_LEAD) {
        const std::uint32_t serial = unmask_serial_number(challenge, static_cast<std::uint8_t>(id[1]),
                                                          static_cast<std::uint8_t>(id[2]), static_cast<std::uint8_t>(id[3]));
        report.radio_serial = serial;
        print_text(screen, "Radio Serial Number is ");
        print_number(screen, serial);
        print_newline(screen);
        send_byte(session, ERASE_REQUEST);
        pause_ms(10);
        discard_waiting_input(session, 0);
        show_pending_error(session);
        print_text(screen, "Waiting for erase");
        print_newline(screen);
    }
    return true;
}

// The erase acknowledgement; -1 when the operator left with Escape (channel closed).
int wait_for_erase_reply(Session& session, DownloadReport& report) {
    report.phase = DownloadPhase::erasing;
    while (!wait_for_answer(session, 1)) {
        if (poll_key(session.console).is(KEY_ESCAPE)) {
            note_if_line_lost(session, report);
            close_channel(session.channels, PORT_CHANNEL);
            return -1;
        }
    }
    const std::string reply = read_channel(session.channels, PORT_CHANNEL, 1);
    return reply.empty() ? 0 : static_cast<std::uint8_t>(reply[0]);
}

}  // namespace

void download_current_radio(Session& session, Downloads& downloads) {
    DownloadReport& report = downloads.report;
    report = start_report(DownloadProcedure::current, downloads.image.bytes_to_send);
    const LoggedDownload logged(session, downloads);
    start_download_screen(session);
    print_text(session.console.screen, "Radio in setup? (Y,N, or Return to Quit) ");
    if (!is_yes(read_line(session.console))) return;
    print_newline(session.console.screen);
    DownloadLink link;
    link.speed_code = ask_high_speed(session, report) ? SPEED_CODE_HIGH : SPEED_CODE_NORMAL;
    report.answers = "radio in setup: Y, " + report.answers;
    report.speed = download_baud(link.speed_code);
    if (operator_left(session)) return;
    report.phase = DownloadPhase::linking;
    if (!open_download_link(session, link)) return;
    log_download_start(downloads);

    const std::uint16_t challenge = enter_download_mode(session, downloads, link);
    switch_to_download_speed(session, link, link.speed_code);
    if (!identify_radio(session, report, challenge)) return;
    const int reply = wait_for_erase_reply(session, report);
    if (reply < 0) return;
    if (reply == ERASE_DONE) {
        programming_phase(session, downloads, link);
        return;
    }
    // Not the acknowledgement of this generation: the radio may still report its
    // erase the older way.
    beep(session.console);
    continue_at_older_erase_wait(session, downloads, link.port_handle);
}

}  // namespace zizuvu
