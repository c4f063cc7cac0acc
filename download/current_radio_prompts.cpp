#include "download/current_radio_prompts.hpp"

#include <string>

#include "download/download_link.hpp"
#include "download/download_screen.hpp"
#include "platform/text_format.hpp"

namespace zizuvu {
namespace {

constexpr int PROMPT_ROW = 30;

void start_prompt_text(Program& program) {
    locate(program.console.screen, PROMPT_ROW, 1);
    set_colors(program.console.screen, COLOR_YELLOW, COLOR_BLUE, 0);
}

void print_item(Program& program, std::string_view label, unsigned value) {
    print_text(program.console.screen, std::string(label) + hex_text(value, 0));
    next_print_zone(program.console.screen);
}

// After the text: wait for a key, blank the row, take the key.
OperatorAnswer end_prompt(Program& program, bool line_end, int blanks) {
    Screen& screen = program.console.screen;
    if (line_end) print_newline(screen);
    wait_for_key(program.console);
    locate(screen, PROMPT_ROW, 1);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
    blank_row(program, PROMPT_ROW, blanks);
    return poll_key(program.console).is(KEY_ESCAPE) ? OperatorAnswer::end_download : OperatorAnswer::go_on;
}

}  // namespace

OperatorAnswer ask_after_address_stall(Program& program) {
    restore_priority();
    // The key that interrupted the wait counts: Escape ends the download at once.
    if (poll_key(program.console).is(KEY_ESCAPE)) return OperatorAnswer::end_download;
    start_prompt_text(program);
    print_text(program.console.screen, "Waiting for Address Response, Retry? (Y or <esc> to quit)");
    return end_prompt(program, false, 79);
}

OperatorAnswer ask_after_wrong_echo(Program& program, std::uint16_t address, unsigned echo) {
    restore_priority();
    beep(program.console);
    start_prompt_text(program);
    print_item(program, "I Sent ", address);
    print_item(program, "I Got ", echo);
    print_text(program.console.screen, "Continue?(<esc> to quit) ");
    return end_prompt(program, false, 78);
}

OperatorAnswer ask_after_transmit_error(Program& program) {
    restore_priority();
    beep(program.console);
    start_prompt_text(program);
    print_text(program.console.screen, "Error on Data Transmit Resend? (<esc> to quit) ");
    return end_prompt(program, true, 78);
}

OperatorAnswer ask_after_acknowledgement_stall(Program& program, std::uint16_t address) {
    restore_priority();
    poll_key(program.console);  // the key that interrupted the wait only raises the question
    start_prompt_text(program);
    print_item(program, "I Sent ", address);
    print_text(program.console.screen, " Waiting for Data  Response, Resend? (<esc> to quit)");
    return end_prompt(program, false, 78);
}

OperatorAnswer ask_after_wrong_acknowledgement(Program& program, std::uint8_t data, std::uint8_t received,
                                               std::uint16_t address) {
    restore_priority();
    beep(program.console);
    start_prompt_text(program);
    print_item(program, "I Sent ", data);
    print_item(program, "I Got ", received);
    print_item(program, "Address ", address);
    print_text(program.console.screen, "Bad Data!,Continue?(<esc> to quit) ");
    return end_prompt(program, true, 79);
}

}  // namespace zizuvu
