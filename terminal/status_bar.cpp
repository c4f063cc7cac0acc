#include "terminal/status_bar.hpp"

#include <algorithm>
#include <string>
#include <string_view>

#include "session/status_row.hpp"

namespace zizuvu {
namespace {

constexpr std::string_view QUIT_HINT = "  Q or q to quit";
constexpr std::string_view MISSING_TEXT = " not available - waiting for it";
// Everything left of the error indicator, which keeps what it shows.
constexpr int TEXT_COLUMNS = 64;

// Draws over the text part of the bar and puts the cursor back where the radio's text goes on.
template <typename Draw>
void redraw_status_text(Session& session, Draw draw) {
    Screen& screen = session.console.screen;
    const int row = cursor_row(screen);
    const int column = cursor_column(screen);
    locate(screen, STATUS_ROW, 1);
    set_colors(screen, COLOR_YELLOW, COLOR_BLUE, 0);
    print_text(screen, std::string(TEXT_COLUMNS, ' '));
    draw();
    locate(screen, row, column);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
}

}  // namespace

void draw_terminal_status(Session& session) {
    draw_settings_line(session);
    print_text(session.console.screen, QUIT_HINT);
}

void show_port_missing_status(Session& session) {
    redraw_status_text(session, [&session] {
        std::string text = "  " + session.port_settings.port_name;
        text += MISSING_TEXT;
        text += QUIT_HINT;
        text.resize(std::min<std::size_t>(text.size(), TEXT_COLUMNS));
        Screen& screen = session.console.screen;
        locate(screen, STATUS_ROW, 1);
        print_text(screen, text);
    });
}

void show_port_back_status(Session& session) {
    redraw_status_text(session, [&session] { draw_terminal_status(session); });
}

}  // namespace zizuvu
