#include "app/error_indicator.hpp"

#include "app/main_menu.hpp"
#include "platform/text_format.hpp"

namespace zizuvu {

void show_error_indicator(Program& program) {
    Screen& screen = program.console.screen;
    const int row = cursor_row(screen);
    const int column = cursor_column(screen);
    locate(screen, STATUS_ROW, 65);
    ++program.error_count;
    std::string text = format_number(program.error_count, "### ");
    text += format_number(program.errors.number, "### ");
    text += format_number(program.errors.detail, "### ");
    set_colors(screen, COLOR_YELLOW, COLOR_BLUE, 0);
    print_text(screen, text);
    locate(screen, row, column);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
    clear_error(program.errors);
    beep(program.console);
}

void show_pending_error(Program& program) {
    if (error_number(program.errors) != 0) show_error_indicator(program);
}

}  // namespace zizuvu
