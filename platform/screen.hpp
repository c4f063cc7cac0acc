#pragma once
// The console screen as the program sees it: a grid of character cells, each one
// byte and one colour attribute, with the cursor, the current colours and the
// pending scroll. Every console operation works on this model; a renderer brings
// the real terminal in line with it afterwards. Rows and columns in the interface
// are 1-based, as on the screen.
//
//   Cell, Screen, ScrollDirection
//   set_screen_size, clear_screen, set_colors, locate, cursor_row, cursor_column
//   print_text, print_newline, print_number, next_print_zone, scroll_region
//   current_attribute, cell_at, row_text          (reading the model back)
//   COLOR_*                                       the colours the program uses

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zizuvu {

inline constexpr int COLOR_BLUE = 1;
inline constexpr int COLOR_WHITE = 7;
inline constexpr int COLOR_BLACK = 0;
inline constexpr int COLOR_YELLOW = 14;
inline constexpr int COLOR_BRIGHT_WHITE = 15;

struct Cell {
    std::uint8_t glyph = ' ';
    std::uint8_t attribute = 0x07;  // background * 16 + foreground

    friend bool operator==(const Cell&, const Cell&) = default;
};

enum class ScrollDirection { up, down, left, right };

// A scroll of whole rows (0-based, inclusive; lines above 0 move up, below 0 down), as
// a renderer can have the terminal do it instead of drawing the moved rows again.
struct RowScroll {
    int top = 0;
    int bottom = 0;
    int lines = 0;
};

struct Screen {
    explicit Screen(int columns = 80, int rows = 25);

    int width;
    int height;
    std::vector<Cell> cells;  // row by row
    int row = 0;              // cursor, 0-based
    int column = 0;
    std::uint8_t foreground = COLOR_WHITE;
    std::uint8_t background = COLOR_BLACK;
    // Set when output filled the bottom-right cell: the screen moves up one line
    // only when more text or a newline follows, so a full status row never scrolls.
    bool pending_scroll = false;
    bool cursor_visible = true;
    // For the renderer: which rows changed since it last looked, and whether the
    // geometry changed (everything must be drawn again).
    std::vector<std::uint8_t> row_changed;
    bool geometry_changed = true;
    // Scrolls of whole rows since the renderer last looked, in order. When more pile
    // up than it would care to replay, they are dropped and the rows drawn instead.
    std::vector<RowScroll> row_scrolls;
    bool row_scrolls_dropped = false;
};

void set_screen_size(Screen& screen, int columns, int rows);
void clear_screen(Screen& screen);
// A colour of 16 or more (or below 0) leaves that colour as it is; paint_count cells
// from the cursor on take the new attribute.
void set_colors(Screen& screen, int foreground, int background, int paint_count);
// A coordinate outside the screen keeps its current value.
void locate(Screen& screen, int row, int column);
int cursor_row(const Screen& screen);
int cursor_column(const Screen& screen);
// Every byte is one cell: no byte is a control, so 13 and 10 show as glyphs.
void print_text(Screen& screen, std::string_view text);
void print_newline(Screen& screen);
void print_number(Screen& screen, double number);
void next_print_zone(Screen& screen);
void scroll_region(Screen& screen, int top, int left, int bottom, int right, int count,
                   ScrollDirection direction);

std::uint8_t current_attribute(const Screen& screen);
const Cell& cell_at(const Screen& screen, int row, int column);
std::string row_text(const Screen& screen, int row);

}  // namespace zizuvu
