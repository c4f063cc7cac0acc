#include "console/screen.hpp"

#include <algorithm>

#include "console/text_format.hpp"

namespace zizuvu {
namespace {

constexpr int PRINT_ZONE_WIDTH = 14;
constexpr std::size_t MAX_ROW_SCROLLS = 64;

Cell blank(const Screen& screen) { return Cell{' ', current_attribute(screen)}; }

Cell* row_start(Screen& screen, int row) {
    return screen.cells.data() + static_cast<std::ptrdiff_t>(row) * screen.width;
}

void mark_rows(Screen& screen, int first, int last) {
    for (int r = std::max(first, 0); r <= last && r < screen.height; ++r) screen.row_changed[static_cast<std::size_t>(r)] = 1;
}

void note_row_scroll(Screen& screen, int top, int bottom, int lines) {
    if (screen.row_scrolls_dropped) return;
    if (!screen.row_scrolls.empty()) {
        RowScroll& last = screen.row_scrolls.back();
        if (last.top == top && last.bottom == bottom && (last.lines > 0) == (lines > 0)) {
            last.lines += lines;
            return;
        }
    }
    if (screen.row_scrolls.size() == MAX_ROW_SCROLLS) {
        screen.row_scrolls.clear();
        screen.row_scrolls_dropped = true;
        return;
    }
    screen.row_scrolls.push_back(RowScroll{top, bottom, lines});
}

// Whole rows are one block of cells: a vertical scroll of full-width rows is one
// block move, which keeps the terminal's scrolling cheap when the radio talks fast.
void move_whole_rows(Screen& screen, int top, int bottom, int count, ScrollDirection direction) {
    const Cell fill = blank(screen);
    const int rows = bottom - top + 1;
    const int moved = std::max(rows - count, 0);
    const std::ptrdiff_t width = screen.width;
    Cell* first = row_start(screen, top);
    if (direction == ScrollDirection::up) {
        std::copy(first + count * width, first + rows * width, first);
        std::fill(first + moved * width, first + rows * width, fill);
    } else {
        std::copy_backward(first, first + moved * width, first + rows * width);
        std::fill(first, first + (rows - moved) * width, fill);
    }
    mark_rows(screen, top, bottom);
    note_row_scroll(screen, top, bottom, direction == ScrollDirection::up ? count : -count);
}

// Moves rows [top, bottom] and columns [left, right] (0-based, inclusive) by count
// cells in one direction, blanking what is left behind.
void move_rectangle(Screen& screen, int top, int left, int bottom, int right, int count,
                    ScrollDirection direction) {
    const int rows = bottom - top + 1;
    const bool vertical = direction == ScrollDirection::up || direction == ScrollDirection::down;
    if (vertical && left == 0 && right == screen.width - 1) {
        return move_whole_rows(screen, top, bottom, std::min(count, rows), direction);
    }
    const Cell fill = blank(screen);
    const int columns = right - left + 1;
    auto at = [&](int r, int c) -> Cell& { return row_start(screen, r)[c]; };
    switch (direction) {
        case ScrollDirection::up:
            for (int r = top; r <= bottom; ++r) {
                for (int c = left; c <= right; ++c) at(r, c) = r + count <= bottom && count < rows ? at(r + count, c) : fill;
            }
            break;
        case ScrollDirection::down:
            for (int r = bottom; r >= top; --r) {
                for (int c = left; c <= right; ++c) at(r, c) = r - count >= top && count < rows ? at(r - count, c) : fill;
            }
            break;
        case ScrollDirection::left:
            for (int r = top; r <= bottom; ++r) {
                for (int c = left; c <= right; ++c) at(r, c) = c + count <= right && count < columns ? at(r, c + count) : fill;
            }
            break;
        case ScrollDirection::right:
            for (int r = top; r <= bottom; ++r) {
                for (int c = right; c >= left; --c) at(r, c) = c - count >= left && count < columns ? at(r, c - count) : fill;
            }
            break;
    }
    mark_rows(screen, top, bottom);
}

void scroll_whole_screen_up(Screen& screen) {
    move_rectangle(screen, 0, 0, screen.height - 1, screen.width - 1, 1, ScrollDirection::up);
}

}  // namespace

std::uint8_t current_attribute(const Screen& screen) {
    return static_cast<std::uint8_t>(screen.background * 16 + screen.foreground);
}

void set_screen_size(Screen& screen, int columns, int rows) {
    columns = std::clamp(columns, 1, MAX_SCREEN_DIMENSION);
    rows = std::clamp(rows, 1, MAX_SCREEN_DIMENSION);
    if (columns == screen.width && rows == screen.height) return;
    std::vector<Cell> resized(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), blank(screen));
    for (int r = 0; r < std::min(rows, screen.height); ++r) {
        const Cell* from = row_start(screen, r);
        std::copy(from, from + std::min(columns, screen.width), resized.begin() + static_cast<std::ptrdiff_t>(r) * columns);
    }
    screen.cells = std::move(resized);
    screen.width = columns;
    screen.height = rows;
    screen.row = std::min(screen.row, rows - 1);
    screen.column = std::min(screen.column, columns - 1);
    screen.pending_scroll = false;
    screen.row_changed.assign(static_cast<std::size_t>(rows), 1);
    screen.geometry_changed = true;
    screen.row_scrolls.clear();
}

void clear_screen(Screen& screen) {
    std::fill(screen.cells.begin(), screen.cells.end(), blank(screen));
    mark_rows(screen, 0, screen.height - 1);
    screen.row = 0;
    screen.column = 0;
    screen.pending_scroll = false;
}

void set_colors(Screen& screen, int foreground, int background, int paint_count) {
    if (foreground >= 0 && foreground < 16) screen.foreground = static_cast<std::uint8_t>(foreground);
    if (background >= 0 && background < 16) screen.background = static_cast<std::uint8_t>(background);
    const std::ptrdiff_t start = static_cast<std::ptrdiff_t>(screen.row) * screen.width + screen.column;
    const std::ptrdiff_t end = std::min<std::ptrdiff_t>(start + std::max(paint_count, 0),
                                                         static_cast<std::ptrdiff_t>(screen.cells.size()));
    if (end <= start) return;
    const std::uint8_t attribute = current_attribute(screen);
    for (std::ptrdiff_t i = start; i < end; ++i) screen.cells[static_cast<std::size_t>(i)].attribute = attribute;
    mark_rows(screen, static_cast<int>(start / screen.width), static_cast<int>((end - 1) / screen.width));
}

void locate(Screen& screen, int row, int column) {
    if (row >= 1 && row <= screen.height) screen.row = row - 1;
    if (column >= 1 && column <= screen.width) screen.column = column - 1;
    screen.pending_scroll = false;
}

int cursor_row(const Screen& screen) { return screen.row + 1; }
int cursor_column(const Screen& screen) { return screen.column + 1; }

void print_text(Screen& screen, std::string_view text) {
    const std::uint8_t attribute = current_attribute(screen);
    while (!text.empty()) {
        if (screen.pending_scroll) {
            screen.pending_scroll = false;
            scroll_whole_screen_up(screen);
        }
        const auto room = static_cast<std::size_t>(screen.width - screen.column);
        const std::size_t count = std::min(room, text.size());
        Cell* cell = row_start(screen, screen.row) + screen.column;
        for (std::size_t i = 0; i < count; ++i) cell[i] = Cell{static_cast<std::uint8_t>(text[i]), attribute};
        screen.row_changed[static_cast<std::size_t>(screen.row)] = 1;
        text.remove_prefix(count);
        screen.column += static_cast<int>(count);
        if (screen.column == screen.width) {
            screen.column = 0;
            if (screen.row == screen.height - 1) {
                screen.pending_scroll = true;
            } else {
                ++screen.row;
            }
        }
    }
}

void print_newline(Screen& screen) {
    if (screen.row < screen.height - 1) {
        ++screen.row;
        screen.column = 0;
        return;
    }
    if (screen.pending_scroll) {
        screen.pending_scroll = false;
        scroll_whole_screen_up(screen);
    }
    scroll_whole_screen_up(screen);
    screen.column = 0;
}

void print_number(Screen& screen, double number) {
    char text[NUMBER_TEXT_CAPACITY];
    print_text(screen, number_text(number, text));
}

void next_print_zone(Screen& screen) {
    static constexpr std::string_view blanks = "              ";
    static_assert(blanks.size() == PRINT_ZONE_WIDTH);
    print_text(screen, blanks.substr(0, static_cast<std::size_t>(PRINT_ZONE_WIDTH - screen.column % PRINT_ZONE_WIDTH)));
}

void scroll_region(Screen& screen, int top, int left, int bottom, int right, int count,
                   ScrollDirection direction) {
    bottom = std::clamp(bottom, 1, screen.height);
    right = std::clamp(right, 1, screen.width);
    if (top < 1 || top >= bottom) top = 1;
    if (left < 1 || left >= right) left = 1;
    if (count <= 0) count = 1;
    move_rectangle(screen, top - 1, left - 1, bottom - 1, right - 1, count, direction);
}

const Cell& cell_at(const Screen& screen, int row, int column) {
    return screen.cells[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(screen.width) +
                        static_cast<std::size_t>(column - 1)];
}

std::string row_text(const Screen& screen, int row) {
    std::string text;
    text.reserve(static_cast<std::size_t>(screen.width));
    for (int c = 1; c <= screen.width; ++c) text.push_back(static_cast<char>(cell_at(screen, row, c).glyph));
    return text;
}

}  // namespace zizuvu
