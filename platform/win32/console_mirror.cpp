#include "platform/win32/console_mirror.hpp"

#include <algorithm>
#include <cstdlib>

#include "platform/shown_cells.hpp"

namespace zizuvu {

void ConsoleUpdate::clear() {
    resize = false;
    scrolls.clear();
    segments.clear();
    move_cursor = false;
    change_cursor_visibility = false;
}

void ConsoleMirror::plan(Screen& screen, ConsoleUpdate& update) {
    update.clear();
    const bool full = !valid_ || screen.geometry_changed || screen.width != width_ || screen.height != height_;
    if (full) {
        update.resize = screen.geometry_changed || screen.width != width_ || screen.height != height_;
        width_ = screen.width;
        height_ = screen.height;
        shown_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), Cell{});
        stale_.assign(static_cast<std::size_t>(height_), 1);
        cursor_known_ = false;
    } else if (!screen.row_scrolls_dropped) {
        for (const RowScroll& scroll : screen.row_scrolls) {
            if (scroll.top < 0 || scroll.bottom >= height_ || scroll.top > scroll.bottom || scroll.lines == 0) continue;
            if (std::abs(scroll.lines) > scroll.bottom - scroll.top) {
                // Nothing of the region survives: its rows are drawn instead.
                for (int r = scroll.top; r <= scroll.bottom; ++r) stale_[static_cast<std::size_t>(r)] = 1;
                continue;
            }
            update.scrolls.push_back(scroll);
            shift_shown_rows(shown_, stale_, width_, scroll);
        }
    }
    update.width = width_;
    update.height = height_;
    screen.row_scrolls.clear();
    screen.row_scrolls_dropped = false;

    for (int r = 0; r < height_; ++r) {
        const auto row = static_cast<std::size_t>(r);
        const bool whole = stale_[row] != 0;
        if (!whole && screen.row_changed[row] == 0) continue;
        stale_[row] = 0;
        const Cell* model = &screen.cells[row * static_cast<std::size_t>(width_)];
        Cell* shown = &shown_[row * static_cast<std::size_t>(width_)];
        int first = 0;
        int last = width_ - 1;
        if (!whole) {
            while (first < width_ && shown[first] == model[first]) ++first;
            if (first == width_) continue;
            while (last > first && shown[last] == model[last]) --last;
        }
        std::copy(model + first, model + last + 1, shown + first);
        update.segments.push_back(ConsoleSegment{r, first, last - first + 1});
    }
    std::fill(screen.row_changed.begin(), screen.row_changed.end(), std::uint8_t{0});
    screen.geometry_changed = false;
    valid_ = true;

    const int row = std::clamp(screen.row, 0, height_ - 1);
    const int column = std::clamp(screen.column, 0, width_ - 1);
    if (!cursor_known_ || row != cursor_row_ || column != cursor_column_) {
        update.move_cursor = true;
        update.cursor_row = row;
        update.cursor_column = column;
        cursor_row_ = row;
        cursor_column_ = column;
    }
    if (!cursor_known_ || screen.cursor_visible != cursor_visible_) {
        update.change_cursor_visibility = true;
        update.cursor_visible = screen.cursor_visible;
        cursor_visible_ = screen.cursor_visible;
    }
    cursor_known_ = true;
}

}  // namespace zizuvu
