#include "download/older_radio_questions.hpp"

#include <string>

#include "download/download_link.hpp"
#include "download/download_screen.hpp"
#include "serial/serial_channel.hpp"
#include "console/text_format.hpp"

namespace zizuvu {
namespace {

constexpr int BLANKS = 50;  // fewer than the longest questions: their last characters stay

void print_line(Session& session, std::string_view label, unsigned value) {
    print_text(session.console.screen, std::string(label) + hex_text(value, 0));
    print_newline(session.console.screen);
}

StallAnswer stall_answer(const KeyText& key) {
    if (key.is(KEY_ESCAPE)) return StallAnswer::end_download;
    if (key.is('Y') || key.is('y')) return StallAnswer::resend;
    return StallAnswer::wait_on;
}

}  // namespace

StallAnswer ask_after_older_address_stall(Session& session) {
    restore_priority();
    if (poll_key(session.console).is(KEY_ESCAPE)) return StallAnswer::end_download;
    Screen& screen = session.console.screen;
    locate(screen, 29, 1);
    print_number(screen, bytes_waiting(session.channels, PORT_CHANNEL));
    print_newline(screen);
    print_text(screen, "Waiting for Address Response, Retry? (Y or <esc> to quit)");
    wait_for_key(session.console);
    blank_row(session, 30, BLANKS);
    return stall_answer(poll_key(session.console));
}

OperatorAnswer ask_after_older_wrong_echo(Session& session, std::uint16_t address, unsigned echo, std::uint8_t data) {
    restore_priority();
    beep(session.console);
    Screen& screen = session.console.screen;
    locate(screen, 31, 1);
    print_line(session, "I Sent ", address);
    print_line(session, "I Got  ", echo);
    print_line(session, "Data Byte is ", data);
    print_text(screen, "Continue? (<esc> to quit) ");
    const KeyText key = wait_for_operator_key(session);
    blank_row(session, 34, BLANKS);
    return key.is(KEY_ESCAPE) ? OperatorAnswer::end_download : OperatorAnswer::go_on;
}

StallAnswer ask_after_older_transmit_error(Session& session, bool write_succeeded) {
    restore_priority();
    beep(session.console);
    Screen& screen = session.console.screen;
    locate(screen, 27, 1);
    print_number(screen, write_succeeded ? 1 : 0);
    print_newline(screen);
    print_text(screen, "Error on Transmit Resend? (<esc> to quit) ");
    print_newline(screen);
    wait_for_key(session.console);
    blank_row(session, 28, BLANKS);
    return stall_answer(poll_key(session.console));
}

StallAnswer ask_after_older_data_stall(Session& session, std::uint16_t address) {
    restore_priority();
    poll_key(session.console);  // the interrupting key only raises the question, even Escape
    Screen& screen = session.console.screen;
    locate(screen, 35, 1);
    print_line(session, "I Sent ", address);
    print_text(screen, "Waiting for Data  Response, Resend? (Y or <esc> to quit)");
    wait_for_key(session.console);
    blank_row(session, 36, BLANKS);
    return stall_answer(poll_key(session.console));
}

OperatorAnswer ask_after_older_wrong_data(Session& session, std::uint8_t data, std::uint8_t echo, std::uint16_t address) {
    restore_priority();
    beep(session.console);
    Screen& screen = session.console.screen;
    locate(screen, 37, 1);
    print_line(session, "I Sent ", data);
    print_line(session, "I Got  ", echo);
    print_line(session, "Address", address);
    print_text(screen, "Bad Data!,Continue? (<esc> to quit) ");
    print_newline(screen);
    return wait_for_operator_key(session).is(KEY_ESCAPE) ? OperatorAnswer::end_download : OperatorAnswer::go_on;
}

}  // namespace zizuvu
