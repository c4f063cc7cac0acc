#include "session/status_row.hpp"

namespace zizuvu {

void draw_settings_line(Session& session) {
    Screen& screen = session.console.screen;
    locate(screen, STATUS_ROW, 1);
    set_colors(screen, COLOR_YELLOW, COLOR_BLUE, SCREEN_COLUMNS);
    print_text(screen, "  ");
    print_text(screen, session.port_settings.port_name);
    next_print_zone(screen);
    print_text(screen, "Baudrate = ");
    print_number(screen, session.port_settings.baud_rate);
}

}  // namespace zizuvu
