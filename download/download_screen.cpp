#include "download/download_screen.hpp"

#include <string>

#include "platform/clock.hpp"
#include "platform/serial_channel.hpp"
#include "platform/text_format.hpp"

namespace zizuvu {

void start_download_screen(Program& program) {
    Screen& screen = program.console.screen;
    clear_screen(screen);
    print_text(screen, DOWNLOAD_TITLE);
    print_newline(screen);
    print_newline(screen);
    print_newline(screen);
}

bool is_yes(std::string_view line) { return line == "Y" || line == "y"; }

bool ask_high_speed(Program& program) {
    print_text(program.console.screen, HIGH_SPEED_QUESTION);
    return is_yes(read_line(program.console));
}

bool operator_left(const Program& program) { return termination_requested(program.console); }

KeyText wait_for_operator_key(Program& program) {
    wait_for_key(program.console);
    return poll_key(program.console);
}

void blank_row(Program& program, int row, int blanks) {
    Screen& screen = program.console.screen;
    locate(screen, row, 1);
    print_text(screen, std::string(static_cast<std::size_t>(blanks), ' '));
    print_newline(screen);
}

void finish_download(Program& program, float start_time) {
    Screen& screen = program.console.screen;
    const double elapsed = elapsed_seconds(static_cast<double>(start_time), seconds_since_midnight());
    locate(screen, 29, 1);
    print_text(screen, format_number(elapsed, "Program Time is ##.## S"));
    print_newline(screen);
    close_channel(program.channels, PORT_CHANNEL, CloseMode::byte_mode_required);
    locate(screen, 30, 1);
    set_colors(screen, COLOR_YELLOW, COLOR_BLUE, 0);
    print_text(screen, "Hit any key to return to main menu");
    print_newline(screen);
    wait_for_operator_key(program);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
}

}  // namespace zizuvu
