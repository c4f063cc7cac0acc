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

StallAnswer stall_answer(DownloadReport& report, const KeyText& key) {
    if (key.is(KEY_ESCAPE)) {
        note_answer(report, QuestionAnswer::end);
        return StallAnswer::end_download;
    }
    if (key.is('Y') || key.is('y')) {
        note_answer(report, QuestionAnswer::retry);
        return StallAnswer::resend;
    }
    note_answer(report, QuestionAnswer::go_on);
    return StallAnswer::wait_on;
}

// At a mismatch the only ways on are Escape and passing the byte over.
OperatorAnswer mismatch_answer(DownloadReport& report, const KeyText& key) {
    const bool escape = key.is(KEY_ESCAPE);
    note_answer(report, escape ? QuestionAnswer::end : QuestionAnswer::go_on);
    return escape ? OperatorAnswer::end_download : OperatorAnswer::go_on;
}

}  // namespace

StallAnswer ask_after_older_address_stall(Session& session, DownloadReport& report) {
    restore_priority();
    note_question(report, QuestionKind::address_stall);
    const KeyText first = poll_key(session.console);
    if (first.is(KEY_ESCAPE)) return stall_answer(report, first);
    Screen& screen = session.console.screen;
    locate(screen, 29, 1);
    print_number(screen, bytes_waiting(session.channels, PORT_CHANNEL));
    print_newline(screen);
    print_text(screen, "Waiting for Address Response, Retry? (Y or <esc> to quit)");
    wait_for_key(session.console);
    blank_row(session, 30, BLANKS);
    return stall_answer(report, poll_key(session.console));
}

OperatorAnswer ask_after_older_wrong_echo(Session& session, DownloadReport& report, std::uint16_t address,
                                          unsigned echo, std::uint8_t data) {
    restore_priority();
    note_question(report, QuestionKind::wrong_address_echo);
    beep(session.console);
    Screen& screen = session.console.screen;
    locate(screen, 31, 1);
    print_line(session, "I Sent ", address);
    print_line(session, "I Got  ", echo);
    print_line(session, "Data Byte is ", data);
    print_text(screen, "Continue? (<esc> to quit) ");
    const KeyText key = wait_for_operator_key(session);
    blank_row(session, 34, BLANKS);
    return mismatch_answer(report, key);
}

StallAnswer ask_after_older_transmit_error(Session& session, DownloadReport& report, bool write_succeeded) {
    restore_priority();
    note_question(report, QuestionKind::transmit_error);
    beep(session.console);
    Screen& screen = session.console.screen;
    locate(screen, 27, 1);
    print_number(screen, write_succeeded ? 1 : 0);
    print_newline(screen);
    print_text(screen, "Error on Transmit Resend? (<esc> to quit) ");
    print_newline(screen);
    wait_for_key(session.console);
    blank_row(session, 28, BLANKS);
    return stall_answer(report, poll_key(session.console));
}

StallAnswer ask_after_older_data_stall(Session& session, DownloadReport& report, std::uint16_t address) {
    restore_priority();
    note_question(report, QuestionKind::data_stall);
    poll_key(session.console);  // the interrupting key only raises the question, even Escape
    Screen& screen = session.console.screen;
    locate(screen, 35, 1);
    print_line(session, "I Sent ", address);
    print_text(screen, "Waiting for Data  Response, Resend? (Y or <esc> to quit)");
    wait_for_key(session.console);
    blank_row(session, 36, BLANKS);
    return stall_answer(report, poll_key(session.console));
}

OperatorAnswer ask_after_older_wrong_data(Session& session, DownloadReport& report, std::uint8_t data,
                                          std::uint8_t echo, std::uint16_t address) {
    restore_priority();
    note_question(report, QuestionKind::wrong_data);
    beep(session.console);
    Screen& screen = session.console.screen;
    locate(screen, 37, 1);
    print_line(session, "I Sent ", data);
    print_line(session, "I Got  ", echo);
    print_line(session, "Address", address);
    print_text(screen, "Bad Data!,Continue? (<esc> to quit) ");
    print_newline(screen);
    return mismatch_answer(report, wait_for_operator_key(session));
}

}  // namespace zizuvu
