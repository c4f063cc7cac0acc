#include "download/older_radio_questions.hpp"

#include <string>

#include "download/download_link.hpp"
#include "download/download_screen.hpp"
#include "platform/serial_channel.hpp"
#include "platform/text_format.hpp"

namespace zizuvu {
namespace {

constexpr int BLANKS = 50;  // fewer than the longest questions: their last characters stay

void print_line(Program& program, std::string_view label, unsigned value) {
    print_text(program.console.screen, std::string(label) + hex_text(value, 0));
    print_newline(program.console.screen);
}

StallAnswer stall_answer(const KeyText& key) {
    if (key.is(KEY_ESCAPE)) return StallAnswer::end_download;
    if (key.is('Y') || key.is('y')) return StallAnswer::resend;
    return StallAnswer::wait_on;
}

}  // namespace

StallAnswer ask_after_older_address_stall(Program& program) {
    restore_priority();
    if (poll_key(program.console).is(KEY_ESCAPE)) return StallAnswer::end_download;
    Screen& screen = program.console.screen;
    locate(screen, 29, 1);
    print_number(screen, bytes_waiting(program.channels, PORT_CHANNEL));
    print_newline(screen);
    print_text(screen, "Waiting for Address Response, Retry? (Y or <esc> to quit)");
    wait_for_key(program.console);
    blank_row(program, 30, BLANKS);
    return stall_answer(poll_key(program.console));
}

OperatorAnswer ask_after_older_wrong_echo(Program& program, std::uint16_t address, unsigned echo, std::uint8_t data) {
    restore_priority();
    beep(program.console);
    Screen& screen = program.console.screen;
    locate(screen, 31, 1);
    print_line(program, "I Sent ", address);
    print_line(program, "I Got  ", echo);
    print_line(program, "Data Byte is ", data);
    print_text(screen, "Continue? (<esc> to quit) ");
    const KeyText key = wait_for_operator_key(program);
    blank_row(program, 34, BLANKS);
    return key.is(KEY_ESCAPE) ? OperatorAnswer::end_download : OperatorAnswer::go_on;
}

StallAnswer ask_after_older_transmit_error(Program& program, bool write_succeeded) {
    restore_priority();
    beep(program.console);
    Screen& screen = program.console.screen;
    locate(screen, 27, 1);
    print_number(screen, write_succeeded ? 1 : 0);
    print_newline(screen);
    print_text(screen, "Error on Transmit Resend? (<esc> to quit) ");
    print_newline(screen);
    wait_for_key(program.console);
    blank_row(program, 28, BLANKS);
    return stall_answer(poll_key(program.console));
}

StallAnswer ask_after_older_data_stall(Program& program, std::uint16_t address) {
    restore_priority();
    poll_key(program.console);  // the interrupting key only raises the question, even Escape
    Screen& screen = program.console.screen;
    locate(screen, 35, 1);
    print_line(program, "I Sent ", address);
    print_text(screen, "Waiting for Data  Response, Resend? (Y or <esc> to quit)");
    wait_for_key(program.console);
    blank_row(program, 36, BLANKS);
    return stall_answer(poll_key(program.console));
}

OperatorAnswer ask_after_older_wrong_data(Program& program, std::uint8_t data, std::uint8_t echo, std::uint16_t address) {
    restore_priority();
    beep(program.console);
    Screen& screen = program.console.screen;
    locate(screen, 37, 1);
    print_line(program, "I Sent ", data);
    print_line(program, "I Got  ", echo);
    print_line(program, "Address", address);
    print_text(screen, "Bad Data!,Continue? (<esc> to quit) ");
    print_newline(screen);
    return wait_for_operator_key(program).is(KEY_ESCAPE) ? OperatorAnswer::end_download : OperatorAnswer::go_on;
}

}  // namespace zizuvu
