#include "download/programming_phase.hpp"

#include "download/current_radio_prompts.hpp"
#include "download/download_screen.hpp"
#include "download/radio_protocol.hpp"
#include "download/image_transfer.hpp"
#include "download/wire_exchange.hpp"
#include "platform/clock.hpp"
#include "console/text_format.hpp"

namespace zizuvu {
namespace {

// Every question but the transmit error goes on with a resynchronisation and the same byte again.
ByteStep after(Session& session, OperatorAnswer answer) {
    if (answer == OperatorAnswer::end_download) return ByteStep::end_download;
    send_bytes(session, RESYNC);
    discard_waiting_input(session, 0);
    return ByteStep::same_again;
}

// One data byte: lead and address, echo, scrambled frame, acknowledgement.
ByteStep exchange_data_byte(Session& session, DownloadReport& report, const DownloadLink& link, std::uint16_t address,
                            std::uint8_t data) {
    // One write for the three bytes: the same bytes on the wire, one wake-up of the radio's side.
    const std::uint8_t lead_and_address[3] = {FRAME_LEAD, static_cast<std::uint8_t>(address >> 8),
                                              static_cast<std::uint8_t>(address)};
    const std::uint8_t* const address_pair = lead_and_address + 1;
    send_bytes(session, lead_and_address);

    if (!wait_for_answer(session, 2)) return after(session, ask_after_address_stall(session, report));
    std::uint8_t echo[2];
    read_direct(session, link.port_handle, echo, 2);
    if (echo[0] != address_pair[0] || echo[1] != address_pair[1]) {
        return after(session, ask_after_wrong_echo(session, report, address, echo[0] * 256U + echo[1]));
    }

    const DataFrame frame = scramble_data_byte(address, data);
    const std::uint8_t data_frame[2] = {frame.scrambled_byte, frame.check_byte};
    while (write_direct(session, link.port_handle, data_frame).written != 2) {
        if (ask_after_transmit_error(session, report) == OperatorAnswer::end_download) return ByteStep::end_download;
    }

    if (!wait_for_answer(session, 1)) return after(session, ask_after_acknowledgement_stall(session, report, address));
    std::uint8_t acknowledgement = 0;
    read_direct(session, link.port_handle, &acknowledgement, 1);
    if (acknowledgement != frame.acknowledgement) {
        return after(session, ask_after_wrong_acknowledgement(session, report, data, acknowledgement, address));
    }
    return ByteStep::next;
}

void show_progress_line(Session& session, Downloads& downloads, const TableWalk& walk) {
    if (++downloads.progress_counter < PROGRESS_EVERY) return;
    downloads.progress_counter = 0;
    Screen& screen = session.console.screen;
    locate(screen, 25, 1);
    print_text(screen, format_number(walk.record_index, "#####   "));
    print_text(screen, hex_text(walk.address_counter, 0));
    next_print_zone(screen);
    print_number(screen, walk.record->byte_count());
}

}  // namespace

void programming_phase(Session& session, Downloads& downloads, DownloadLink& link) {
    Screen& screen = session.console.screen;
    const auto start_time = static_cast<float>(seconds_since_midnight());
    print_text(screen, "Starting Download");
    print_newline(screen);
    locate(screen, 24, 1);
    print_text(screen, "If Programing Pauses, Press <Enter> for Retry");
    print_newline(screen);

    transfer_image(session, downloads, [&](const TableWalk& walk) { show_progress_line(session, downloads, walk); },
                   [&](std::uint16_t address, std::uint8_t data) {
                       return exchange_data_byte(session, downloads.report, link, address, data);
                   });
    finish_download(session, downloads, start_time);
}

}  // namespace zizuvu
