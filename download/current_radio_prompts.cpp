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

// After the text: wait for a key, blank the row, take the key.
OperatorAnswer end_prompt(Session& session, bool line_end, int blanks) {
    Screen& screen = session.console.screen;
    if (line_end) print_newline(screen);
    wait_for_key(session.console);
    locate(screen, PROMPT_ROW, 1);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
    blank_row(session, PROMPT_ROW, blanks);
    return poll_key(session.console).is(KEY_ESCAPE) ? OperatorAnswer::end_download : OperatorAnswer::go_on;
}

}  // namespace

OperatorAnswer ask_after_address_stall(Session& session) {
    restore_priority();
    // The key that interrupted the wait counts: Escape ends the download at once.
    if (poll_key(session.console).is(KEY_ESCAPE)) return OperatorAnswer::end_download;
    start_prompt_text(session);
    print_text(session.console.screen, "Waiting for Address Response, Retry? (Y or <esc> to quit)");
    return end_prompt(session, false, 79);
}

OperatorAnswer ask_after_wrong_echo(Session& session, std::uint16_t address, unsigned echo) {
    restore_priority();
    beep(session.console);
    start_prompt_text(session);
    print_item(session, "I Sent ", address);
    print_item(session, "I Got ", echo);
    print_text(session.console.screen, "Continue?(<esc> to quit) ");
    return end_prompt(session, false, 78);
}

OperatorAnswer ask_after_transmit_error(Session& session) {
    restore_priority();
    beep(session.console);
    start_prompt_text(session);
    print_text(session.console.screen, "Error on Data Transmit Resend? (<esc> to quit) ");
    return end_prompt(session, true, 78);
}

OperatorAnswer ask_after_acknowledgement_stall(Session& session, std::uint16_t address) {
    restore_priority();
    poll_key(session.console);  // the key that interrupted the wait only raises the question
    start_prompt_text(session);
    print_item(session, "I Sent ", address);
    print_text(session.console.screen, " Waiting for Data  Response, Resend? (<esc> to quit)");
    return end_prompt(session, false, 78);
}

OperatorAnswer ask_after_wrong_acknowledgement(Session& session, std::uint8_t data, std::uint8_t received,
                                               std::uint16_t address) {
    restore_priority();
    beep(session.console);
    start_prompt_text(session);
    print_item(session, "I Sent ", data);
    print_item(session, "I Got ", received);
    print_item(session, "Address ", address);
    print_text(session.console.screen, "Bad Data!,Continue?(<esc> to quit) ");
    return end_prompt(session, true, 79);
}

}  // namespace zizuvu
