#pragma once
// What a console device shows: a grid of character cells, each one byte and one
// colour attribute, with the cursor, and what changed since the device last drew.
// The console layer above writes into it; a renderer brings the real terminal or
// console in line with it.
//
//   Cell, RowScroll, Screen
//   COLOR_*   the console colour numbers the program uses (1 blue, 2 green, 4 red, 8 bright)

#include <cstdint>
#include <vector>

namespace zizuvu {

inline constexpr int COLOR_BLUE = 1;
inline constexpr int COLOR_WHITE = 7;
inline constexpr int COLOR_BLACK = 0;
inline constexpr int COLOR_BRIGHT_GREEN = 10;
inline constexpr int COLOR_BRIGHT_RED = 12;
inline constexpr int COLOR_YELLOW = 14;
inline constexpr int COLOR_BRIGHT_WHITE = 15;

// Neither side of the screen grows beyond this, whatever is asked.
inline constexpr int MAX_SCREEN_DIMENSION = 512;

struct Cell {
    std::uint8_t glyph = ' ';
    std::uint8_t attribute = 0x07;  // background * 16 + foreground

    friend bool operator==(const Cell&, const Cell&) = default;
};

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

}  // namespace zizuvu
