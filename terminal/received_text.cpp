#include "terminal/received_text.hpp"

#include <string_view>

namespace zizuvu {
namespace {

constexpr std::uint8_t CARRIAGE_RETURN = 13;
// The radio's menus end lines in CR LF: the line feed, the bell, tabs and backspaces
// below this have no place on the screen. Bytes 21 to 31 are shown.
constexpr std::uint8_t HIGHEST_DROPPED = 20;

void scroll_text_area(Screen& screen) {
    scroll_region(screen, TEXT_TOP_ROW, 1, TEXT_BOTTOM_ROW, screen.width, 1, ScrollDirection::up);
    locate(screen, TEXT_BOTTOM_ROW, 1);
}

}  // namespace

void show_received_byte(Screen& screen, std::uint8_t byte) {
    if (byte > HIGHEST_DROPPED) {
        const char glyph = static_cast<char>(byte);
        print_text(screen, std::string_view(&glyph, 1));
        // The glyph filled column 80 of row 50 and the cursor wrapped onto the status row.
        if (cursor_column(screen) == 1 && cursor_row(screen) == TEXT_BOTTOM_ROW + 1) scroll_text_area(screen);
    } else if (byte == CARRIAGE_RETURN) {
        if (cursor_row(screen) == TEXT_BOTTOM_ROW) {
            scroll_text_area(screen);
        } else {
            print_newline(screen);
        }
    }
}

}  // namespace zizuvu
