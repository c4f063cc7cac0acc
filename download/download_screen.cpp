#include "download/download_screen.hpp"

#include <string>

#include "platform/clock.hpp"
#include "serial/serial_channel.hpp"
#include "console/text_format.hpp"

namespace zizuvu {

void start_download_screen(Session& session) {
    Screen& screen = session.console.screen;
    clear_screen(screen);
    print_text(screen, DOWNLOAD_TITLE);
    print_newline(screen);
    print_newline(screen);
    print_newline(screen);
}

bool is_yes(std::string_view line) { return line == "Y" || line == "y"; }

bool ask_high_speed(Session& session) {
    print_text(session.console.screen, HIGH_SPEED_QUESTION);
    return is_yes(read_line(session.console));
}

bool operator_left(const Session& session) { return termination_requested(session.console); }

KeyText wait_for_operator_key(Session& session) {
    wait_for_key(session.console);
    return poll_key(session.console);
}

void blank_row(Session& session, int row, int blanks) {
    Screen& screen = session.console.screen;
    locate(screen, row, 1);
    print_text(screen, std::string(static_cast<std::size_t>(blanks), ' '));
    print_newline(screen);
}

void finish_download(Session& session, float start_time) {
    Screen& screen = session.console.screen;
    const double elapsed = elapsed_seconds(static_cast<double>(start_time), seconds_since_midnight());
    locate(screen, 29, 1);
    print_text(screen, format_number(elapsed, "Program Time is ##.## S"));
    print_newline(screen);
    close_channel(session.channels, PORT_CHANNEL);
    locate(screen, 30, 1);
    set_colors(screen, COLOR_YELLOW, COLOR_BLUE, 0);
    print_text(screen, "Hit any key to return to main menu");
    print_newline(screen);
    wait_for_operator_key(session);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
}

}  // namespace zizuvu
