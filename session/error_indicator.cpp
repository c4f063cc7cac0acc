#include "session/error_indicator.hpp"

#include "session/status_row.hpp"
#include "console/text_format.hpp"

namespace zizuvu {

void show_error_indicator(Session& session) {
    Screen& screen = session.console.screen;
    const int row = cursor_row(screen);
    const int column = cursor_column(screen);
    locate(screen, STATUS_ROW, 65);
    ++session.error_count;
    session.last_error_shown = session.errors.number;
    std::string text = format_number(session.error_count, "### ");
    text += format_number(session.errors.number, "### ");
    text += format_number(session.errors.detail, "### ");
    set_colors(screen, COLOR_YELLOW, COLOR_BLUE, 0);
    print_text(screen, text);
    locate(screen, row, column);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
    clear_error(session.errors);
    beep(session.console);
}

void show_pending_error(Session& session) {
    if (error_number(session.errors) != 0) show_error_indicator(session);
}

}  // namespace zizuvu
