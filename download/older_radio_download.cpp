// Menu choice "0": the download for radios at X.71 and older. The entry sequence at
// 19200 baud, the erase report, then a lock-step exchange: every image byte costs an
// address echo and a data echo.
#include "download/older_radio_download.hpp"

#include "session/error_indicator.hpp"
#include "download/download_procedures.hpp"
#include "download/download_link.hpp"
#include "download/download_log.hpp"
#include "download/download_screen.hpp"
#include "download/older_radio_questions.hpp"
#include "download/radio_codes.hpp"
#include "download/radio_protocol.hpp"
#include "download/image_transfer.hpp"
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

void drain(Session& session) {
    discard_waiting_input(session, 0);
    show_pending_error(session);
}

// "1", the speed digit, Escape, "4" and the download-mode code, with the radio's pauses.
void send_entry_sequence(Session& session, bool newer_firmware, char speed_digit) {
    send_checked(session, OLDER_ENTRY_BAUD_PAGE);
    pause_ms(500);
    drain(session);
    send_checked(session, static_cast<std::uint8_t>(speed_digit));
    pause_ms(500);
    drain(session);
    send_checked(session, OLDER_ENTRY_BACK);
    pause_ms(500);
    drain(session);
    send_checked(session, ENTRY_SERVICE_PAGE);
    pause_ms(500);
    if (newer_firmware) {
        const DownloadCode code = x71_code();
        for (int i = 0; i < code.length; ++i) {
            send_checked(session, code.bytes[static_cast<std::size_t>(i)]);
            if (i + 1 < code.length) pause_ms(50);
        }
    } else {
        send_checked(session, x71_code_before_545().bytes[0]);
    }
    pause_ms(10);
    drain(session);
}

// True once the radio reports its erase done; false when a key ended the wait.
bool wait_for_erase_report(Session& session) {
    for (;;) {
        if (!wait_for_answer(session, 1)) {
            poll_key(session.console);
            return false;
        }
        const std::string byte = read_channel(session.channels, PORT_CHANNEL, 1);
        if (!byte.empty() && static_cast<std::uint8_t>(byte[0]) == ERASE_DONE_OLDER) return true;
    }
}

void show_progress_line(Session& session, Downloads& downloads, const TableWalk& walk) {
    if (++downloads.progress_counter < PROGRESS_EVERY_OLDER) return;
    downloads.progress_counter = 0;
    Screen& screen = session.console.screen;
    locate(screen, 25, 1);
    print_text(screen, hex_text(walk.address_counter, 0));
    next_print_zone(screen);
    print_number(screen, walk.record->byte_count());
}

// One image byte: the address pair and its echo, then the data byte and its echo.
ByteStep exchange_image_byte(Session& session, DownloadReport& report, OsHandle port, std::uint16_t address,
                             std::uint8_t data) {
    const std::uint8_t address_pair[2] = {static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    send_bytes(session, address_pair);

    while (!wait_for_answer(session, 2)) {
        const StallAnswer answer = ask_after_older_address_stall(session, report);
        if (answer == StallAnswer::end_download) return ByteStep::end_download;
        if (answer == StallAnswer::resend) {
            // One byte of the echo arrived: only the low byte can still be missing.
            if (bytes_waiting(session.channels, PORT_CHANNEL) == 1) {
                send_byte(session, address_pair[1]);
            } else {
                send_bytes(session, address_pair);
            }
        }
    }
    std::uint8_t echo[2];
    read_direct(session, port, echo, 2);
    bool passed_over = false;
    if (echo[0] != address_pair[0] || echo[1] != address_pair[1]) {
        if (ask_after_older_wrong_echo(session, report, address, echo[0] * 256U + echo[1], data) ==
            OperatorAnswer::end_download) {
            return ByteStep::end_download;
        }
        data = 0xFF;  // the operator goes on: 0xFF is sent and checked in place of the image byte
        passed_over = true;
    }

    DirectWrite write = write_direct(session, port, std::span(&data, 1));
    while (write.written != 1) {
        const StallAnswer answer = ask_after_older_transmit_error(session, report, write.succeeded);
        if (answer == StallAnswer::end_download) return ByteStep::end_download;
        if (answer == StallAnswer::resend) write = write_direct(session, port, std::span(&data, 1));
    }

    while (!wait_for_answer(session, 1)) {
        const StallAnswer answer = ask_after_older_data_stall(session, report, address);
        if (answer == StallAnswer::end_download) return ByteStep::end_download;
        if (answer == StallAnswer::resend) write_direct(session, port, std::span(&data, 1));
    }
    std::uint8_t data_echo = 0;
    read_direct(session, port, &data_echo, 1);
    if (data_echo != data) {
        if (ask_after_older_wrong_data(session, report, data, data_echo, address) == OperatorAnswer::end_download) {
            return ByteStep::end_download;
        }
        passed_over = true;
    }
    return passed_over ? ByteStep::passed_over : ByteStep::next;
}

void transfer_records(Session& session, Downloads& downloads, OsHandle port, float start_time) {
    transfer_image(session, downloads, [&](const TableWalk& walk) { show_progress_line(session, downloads, walk); },
                   [&](std::uint16_t address, std::uint8_t data) {
                       return exchange_image_byte(session, downloads.report, port, address, data);
                   });
    finish_download(session, downloads, start_time);
}

}  // namespace

void continue_at_older_erase_wait(Session& session, Downloads& downloads, OsHandle port_handle) {
    downloads.report.phase = DownloadPhase::erasing;
    if (!wait_for_erase_report(session)) {
        note_if_line_lost(session, downloads.report);
        close_channel(session.channels, PORT_CHANNEL);
        return;
    }
    const auto start_time = static_cast<float>(seconds_since_midnight());
    print_text(session.console.screen, "Starting Download");
    print_newline(session.console.screen);
    transfer_records(session, downloads, port_handle, start_time);
}

void download_older_radio(Session& session, Downloads& downloads) {
    Screen& screen = session.console.screen;
    DownloadReport& report = downloads.report;
    report = start_report(DownloadProcedure::older, downloads.image.bytes_to_send);
    const LoggedDownload logged(session, downloads);
    start_download_screen(session);
    print_text(screen, "Current firmware version on modem 5.45 or greater? (Y,N, or Return to Quit) ");
    const std::string version = read_line(session.console);
    const bool newer_firmware = version == "Y" || version == "y";
    if (!newer_firmware && version != "N" && version != "n") return;
    print_newline(screen);
    const bool high_speed = ask_high_speed(session, report);
    const char speed_digit = static_cast<char>(high_speed ? OLDER_SPEED_DIGIT_HIGH : OLDER_SPEED_DIGIT_NORMAL);
    report.answers = "firmware 5.45 or greater: " + std::string(newer_firmware ? "Y" : "N") + ", " + report.answers;
    report.speed = download_baud(high_speed ? SPEED_CODE_HIGH : SPEED_CODE_NORMAL);
    if (operator_left(session)) return;
    report.phase = DownloadPhase::linking;
    if (!open_download_port(session)) return;
    log_download_start(downloads);

    send_entry_sequence(session, newer_firmware, speed_digit);
    const OsHandle port_handle = channel_handle(session.channels, PORT_CHANNEL);
    locate(screen, 8, 1);
    print_text(screen, "Waiting for erase");
    print_newline(screen);
    set_port_option(session.channels, PORT_CHANNEL, OPTION_BAUD_RATE, report.speed);
    show_pending_error(session);
    continue_at_older_erase_wait(session, downloads, port_handle);
}

}  // namespace zizuvu
