#include "download/current_radio_prompts.hpp"

#include <string>

#include "download/download_link.hpp"
#include "download/download_screen.hpp"
#include "console/text_format.hpp"

namespace zizuvu {
namespace {

constexpr int PROMPT_ROW = 30;

void start_prompt_text(Session& session) {
    locate(session.console.screen, PROMPT_ROW, 1);
    set_colors(session.console.screen, COLOR_YELLOW, COLOR_BLUE, 0);
}

void print_item(Session& session, std::string_view label, unsigned value) {
    print_text(session.console.screen, std::string(label) + hex_text(value, 0));
    next_print_zone(session.console.screen);
}

// Every question's other keys retry: resynchronise, or write the frame again.
OperatorAnswer noted(DownloadReport& report, bool escape) {
    note_answer(report, escape ? QuestionAnswer::end : QuestionAnswer::retry);
    return escape ? OperatorAnswer::end_download : OperatorAnswer::go_on;
}

// After the text: wait for a key, blank the row, take the key.
OperatorAnswer end_prompt(Session& session, DownloadReport& report, bool line_end, int blanks) {
    Screen& screen = session.console.screen;
    if (line_end) print_newline(screen);
    wait_for_key(session.console);
    locate(screen, PROMPT_ROW, 1);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
    blank_row(session, PROMPT_ROW, blanks);
    return noted(report, poll_key(session.console).is(KEY_ESCAPE));
}

}  // namespace

OperatorAnswer ask_after_address_stall(Session& session, DownloadReport& report) {
    restore_priority();
    note_question(report, QuestionKind::address_stall);
    // The key that interrupted the wait counts: Escape ends the download at once.
    if (poll_key(session.console).is(KEY_ESCAPE)) return noted(report, true);
    start_prompt_text(session);
    print_text(session.console.screen, "Waiting for Address Response, Retry? (Y or <esc> to quit)");
    return end_prompt(session, report, false, 79);
}

OperatorAnswer ask_after_wrong_echo(Session& session, DownloadReport& report, std::uint16_t address, unsigned echo) {
    restore_priority();
    note_question(report, QuestionKind::wrong_address_echo);
    beep(session.console);
    start_prompt_text(session);
    print_item(session, "I Sent ", address);
    print_item(session, "I Got ", echo);
    print_text(session.console.screen, "Continue?(<esc> to quit) ");
    return end_prompt(session, report, false, 78);
}

OperatorAnswer ask_after_transmit_error(Session& session, DownloadReport& report) {
    restore_priority();
    note_question(report, QuestionKind::transmit_error);
    beep(session.console);
    start_prompt_text(session);
    print_text(session.console.screen, "Error on Data Transmit Resend? (<esc> to quit) ");
    return end_prompt(session, report, true, 78);
}

OperatorAnswer ask_after_acknowledgement_stall(Session& session, DownloadReport& report, std::uint16_t address) {
    restore_priority();
    note_question(report, QuestionKind::data_stall);
    poll_key(session.console);  // the key that interrupted the wait only raises the question
    start_prompt_text(session);
    print_item(session, "I Sent ", address);
    print_text(session.console.screen, " Waiting for Data  Response, Resend? (<esc> to quit)");
    return end_prompt(session, report, false, 78);
}

OperatorAnswer ask_after_wrong_acknowledgement(Session& session, DownloadReport& report, std::uint8_t data,
                                               std::uint8_t received, std::uint16_t address) {
    restore_priority();
    note_question(report, QuestionKind::wrong_data);
    beep(session.console);
    start_prompt_text(session);
    print_item(session, "I Sent ", data);
    print_item(session, "I Got ", received);
    print_item(session, "Address ", address);
    print_text(session.console.screen, "Bad Data!,Continue?(<esc> to quit) ");
    return end_prompt(session, report, true, 79);
}

}  // namespace zizuvu
