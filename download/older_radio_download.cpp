// Menu choice "0": the download for radios at X.71 and older. The entry sequence at
// 19200 baud, the erase report, then a lock-step exchange: every image byte costs an
// address echo and a data echo.
#include "download/older_radio_download.hpp"

#include "app/error_indicator.hpp"
#include "app/procedures.hpp"
#include "download/download_link.hpp"
#include "download/download_screen.hpp"
#include "download/older_radio_questions.hpp"
#include "download/radio_codes.hpp"
#include "download/radio_protocol.hpp"
#include "download/image_transfer.hpp"
#include "download/wire_exchange.hpp"
#include "platform/clock.hpp"
#include "platform/serial_channel.hpp"
#include "platform/text_format.hpp"

namespace zizuvu {
namespace {


void send_checked(Program& program, std::uint8_t byte) {
    send_byte(program, byte);
    show_pending_error(program);
}

void drain(Program& program) {
    discard_waiting_input(program, 0);
    show_pending_error(program);
}

// "1", the speed digit, Escape, "4" and the download-mode code, with the radio's pauses.
void send_entry_sequence(Program& program, bool newer_firmware, char speed_digit) {
    send_checked(program, OLDER_ENTRY_BAUD_PAGE);
    pause_ms(500);
    drain(program);
    send_checked(program, static_cast<std::uint8_t>(speed_digit));
    pause_ms(500);
    drain(program);
    send_checked(program, OLDER_ENTRY_BACK);
    pause_ms(500);
    drain(program);
    send_checked(program, ENTRY_SERVICE_PAGE);
    pause_ms(500);
    if (newer_firmware) {
        const DownloadCode code = x71_code();
        for (int i = 0; i < code.length; ++i) {
            send_checked(program, code.bytes[static_cast<std::size_t>(i)]);
            if (i + 1 < code.length) pause_ms(50);
        }
    } else {
        send_checked(program, x71_code_before_545().bytes[0]);
    }
    pause_ms(10);
    drain(program);
}

// True once the radio reports its erase done; false when a key ended the wait.
bool wait_for_erase_report(Program& program) {
    for (;;) {
        if (!wait_for_answer(program, 1)) {
            poll_key(program.console);
            return false;
        }
        const std::string byte = read_channel(program.channels, PORT_CHANNEL, 1);
        if (!byte.empty() && static_cast<std::uint8_t>(byte[0]) == ERASE_DONE_OLDER) return true;
    }
}

void show_progress_line(Program& program, const TableWalk& walk) {
    if (++program.progress_counter < PROGRESS_EVERY_OLDER) return;
    program.progress_counter = 0;
    Screen& screen = program.console.screen;
    locate(screen, 25, 1);
    print_text(screen, hex_text(walk.address_counter, 0));
    next_print_zone(screen);
    print_number(screen, walk.record->byte_count());
}

// One image byte: the address pair and its echo, then the data byte and its echo.
ByteStep exchange_image_byte(Program& program, OsHandle port, std::uint16_t address, std::uint8_t data) {
    const std::uint8_t address_pair[2] = {static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    send_bytes(program, address_pair);

    while (!wait_for_answer(program, 2)) {
        const StallAnswer answer = ask_after_older_address_stall(program);
        if (answer == StallAnswer::end_download) return ByteStep::end_download;
        if (answer == StallAnswer::resend) {
            // One byte of the echo arrived: only the low byte can still be missing.
            if (bytes_waiting(program.channels, PORT_CHANNEL) == 1) {
                send_byte(program, address_pair[1]);
            } else {
                send_bytes(program, address_pair);
            }
        }
    }
    std::uint8_t echo[2];
    read_direct(port, echo, 2);
    if (echo[0] != address_pair[0] || echo[1] != address_pair[1]) {
        if (ask_after_older_wrong_echo(program, address, echo[0] * 256U + echo[1], data) == OperatorAnswer::end_download) {
            return ByteStep::end_download;
        }
        data = 0xFF;  // the operator goes on: 0xFF is sent and checked in place of the image byte
    }

    DirectWrite write = write_direct(port, std::span(&data, 1));
    while (write.written != 1) {
        const StallAnswer answer = ask_after_older_transmit_error(program, write.succeeded);
        if (answer == StallAnswer::end_download) return ByteStep::end_download;
        if (answer == StallAnswer::resend) write = write_direct(port, std::span(&data, 1));
    }

    while (!wait_for_answer(program, 1)) {
        const StallAnswer answer = ask_after_older_data_stall(program, address);
        if (answer == StallAnswer::end_download) return ByteStep::end_download;
        if (answer == StallAnswer::resend) write_direct(port, std::span(&data, 1));
    }
    std::uint8_t data_echo = 0;
    read_direct(port, &data_echo, 1);
    if (data_echo != data && ask_after_older_wrong_data(program, data, data_echo, address) == OperatorAnswer::end_download) {
        return ByteStep::end_download;
    }
    return ByteStep::next;
}

void transfer_records(Program& program, OsHandle port, float start_time) {
    transfer_image(program, show_progress_line,
                   [&](std::uint16_t address, std::uint8_t data) { return exchange_image_byte(program, port, address, data); });
    finish_download(program, start_time);
}

}  // namespace

void continue_at_older_erase_wait(Program& program, OsHandle port_handle) {
    if (!wait_for_erase_report(program)) {
        close_channel(program.channels, PORT_CHANNEL, CloseMode::byte_mode_required);
        return;
    }
    const auto start_time = static_cast<float>(seconds_since_midnight());
    print_text(program.console.screen, "Starting Download");
    print_newline(program.console.screen);
    transfer_records(program, port_handle, start_time);
}

void download_older_radio(Program& program) {
    Screen& screen = program.console.screen;
    start_download_screen(program);
    print_text(screen, "Current firmware version on modem 5.45 or greater? (Y,N, or Return to Quit) ");
    const std::string version = read_line(program.console);
    const bool newer_firmware = version == "Y" || version == "y";
    if (!newer_firmware && version != "N" && version != "n") return;
    print_newline(screen);
    const bool high_speed = ask_high_speed(program);
    const char speed_digit = static_cast<char>(high_speed ? OLDER_SPEED_DIGIT_HIGH : OLDER_SPEED_DIGIT_NORMAL);
    if (operator_left(program)) return;
    if (!open_download_port(program)) return;

    send_entry_sequence(program, newer_firmware, speed_digit);
    const OsHandle port_handle = channel_handle(program.channels, PORT_CHANNEL);
    locate(screen, 8, 1);
    print_text(screen, "Waiting for erase");
    print_newline(screen);
    set_port_option(program.channels, PORT_CHANNEL, OPTION_BAUD_RATE,
                    download_baud(high_speed ? SPEED_CODE_HIGH : SPEED_CODE_NORMAL));
    show_pending_error(program);
    continue_at_older_erase_wait(program, port_handle);
}

}  // namespace zizuvu
