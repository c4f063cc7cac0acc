#include "platform/linux/ansi_renderer.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "platform/cp437.hpp"
#include "platform/shown_cells.hpp"

namespace zizuvu {
namespace {

// Console colour bits are 1 blue, 2 green, 4 red, 8 bright; ANSI numbers red 1, green 2, blue 4.
int ansi_colour(int console_colour) {
    return ((console_colour & 1) << 2) | (console_colour & 2) | ((console_colour & 4) >> 2);
}

void append_number(std::string& out, int value) {
    char digits[12];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

constexpr std::string_view HIDE_CURSOR = "\x1b[?25l";
constexpr std::string_view SHOW_CURSOR = "\x1b[?25h";

}  // namespace

std::string sgr_for_attribute(std::uint8_t attribute) {
    const int foreground = attribute & 0x0F;
    const int background = attribute >> 4;
    std::string out = "\x1b[";
    append_number(out, ((foreground & 8) != 0 ? 90 : 30) + ansi_colour(foreground & 7));
    out.push_back(';');
    append_number(out, ((background & 8) != 0 ? 100 : 40) + ansi_colour(background & 7));
    out.push_back('m');
    return out;
}

AnsiRenderer::AnsiRenderer(TerminalSize size) { resize(size); }

void AnsiRenderer::resize(TerminalSize size) {
    size_.rows = std::max(size.rows, 1);
    size_.columns = std::max(size.columns, 1);
    shown_.assign(static_cast<std::size_t>(size_.rows) * static_cast<std::size_t>(size_.columns), Cell{});
    stale_rows_.assign(static_cast<std::size_t>(size_.rows), 0);
    invalidate();
}

void AnsiRenderer::invalidate() {
    shown_valid_ = false;
    sgr_ = -1;
    at_row_ = at_column_ = -1;
    cursor_known_ = false;
}

AnsiRenderer::View AnsiRenderer::view_for(const Screen& screen) const {
    View view = view_;
    const int body_rows = size_.rows >= screen.height ? screen.height : std::max(size_.rows - 1, 1);
    const int body_height = size_.rows >= screen.height ? screen.height : screen.height - 1;
    if (size_.rows >= screen.height) {
        view.top = 0;
    } else if (screen.row < body_height) {
        if (screen.row < view.top) view.top = screen.row;
        if (screen.row >= view.top + body_rows) view.top = screen.row - body_rows + 1;
    }
    view.top = std::clamp(view.top, 0, std::max(body_height - body_rows, 0));
    if (size_.columns >= screen.width) {
        view.left = 0;
    } else {
        if (screen.column < view.left) view.left = screen.column;
        if (screen.column >= view.left + size_.columns) view.left = screen.column - size_.columns + 1;
        view.left = std::clamp(view.left, 0, screen.width - size_.columns);
    }
    return view;
}

int AnsiRenderer::model_row_of(const Screen& screen, const View& view, int terminal_row) const {
    if (size_.rows >= screen.height) return terminal_row < screen.height ? terminal_row : -1;
    if (size_.rows == 1) return screen.row;
    if (terminal_row == size_.rows - 1) return screen.height - 1;  // the status row stays in view
    return view.top + terminal_row;
}

void AnsiRenderer::move_to(std::string& out, int row, int column) {
    if (row == at_row_ && column == at_column_) return;
    out += "\x1b[";
    append_number(out, row + 1);
    out.push_back(';');
    append_number(out, column + 1);
    out.push_back('H');
    at_row_ = row;
    at_column_ = column;
}

void AnsiRenderer::replay_row_scrolls(const Screen& screen, std::string& out) {
    bool region_set = false;
    for (const RowScroll& scroll : screen.row_scrolls) {
        const int height = scroll.bottom - scroll.top + 1;
        if (std::abs(scroll.lines) >= height) {
            // Everything in it is new: nothing to move, every row drawn.
            for (int r = scroll.top; r <= scroll.bottom; ++r) stale_rows_[static_cast<std::size_t>(r)] = 1;
            continue;
        }
        if (!region_set) {
            // The lines the terminal brings in take the current background; keep it
            // the default one, as in the columns beyond the model that are never drawn.
            out += "\x1b[0m";
            sgr_ = -1;
        }
        out += "\x1b[";
        append_number(out, scroll.top + 1);
        out.push_back(';');
        append_number(out, scroll.bottom + 1);
        out.push_back('r');
        region_set = true;
        at_row_ = at_column_ = -1;  // setting the region moves the cursor home
        // Index at the region's bottom moves it up a line, reverse index at its top down.
        move_to(out, scroll.lines > 0 ? scroll.bottom : scroll.top, 0);
        for (int i = 0; i < std::abs(scroll.lines); ++i) out += scroll.lines > 0 ? "\x1b" "D" : "\x1b" "M";
        shift_shown_rows(shown_, stale_rows_, size_.columns, scroll);
    }
    if (region_set) {
        out += "\x1b[r";
        at_row_ = at_column_ = -1;
    }
}

void AnsiRenderer::render(Screen& screen, std::string& out) {
    const View view = view_for(screen);
    const bool full = !shown_valid_ || screen.geometry_changed || view.top != view_.top || view.left != view_.left;
    view_ = view;
    bool drawing = false;
    auto begin_drawing = [&] {
        if (drawing) return;
        drawing = true;
        if (cursor_on_) out += HIDE_CURSOR;  // no cursor flicker across the screen while drawing
        cursor_on_ = false;
    };
    if (full) {
        begin_drawing();
        out += "\x1b[0m\x1b[2J";
        sgr_ = -1;
        at_row_ = at_column_ = -1;
        std::fill(stale_rows_.begin(), stale_rows_.end(), std::uint8_t{0});
    } else if (!screen.row_scrolls.empty() && size_.rows >= screen.height && size_.columns >= screen.width) {
        // Model rows are terminal rows: the model's scrolls can be the terminal's.
        begin_drawing();
        replay_row_scrolls(screen, out);
    }
    screen.row_scrolls.clear();
    screen.row_scrolls_dropped = false;
    const int columns = std::min(size_.columns, screen.width - view.left);
    for (int t = 0; t < size_.rows; ++t) {
        const int m = model_row_of(screen, view, t);
        if (m < 0 || m >= screen.height) continue;
        const bool whole = full || stale_rows_[static_cast<std::size_t>(t)] != 0;
        stale_rows_[static_cast<std::size_t>(t)] = 0;
        if (!whole && screen.row_changed[static_cast<std::size_t>(m)] == 0) continue;
        const Cell* model = &screen.cells[static_cast<std::size_t>(m) * static_cast<std::size_t>(screen.width) + static_cast<std::size_t>(view.left)];
        Cell* shown = &shown_[static_cast<std::size_t>(t) * static_cast<std::size_t>(size_.columns)];
        for (int u = 0; u < columns; ++u) {
            if (!whole && shown[u] == model[u]) continue;
            begin_drawing();
            move_to(out, t, u);
            if (model[u].attribute != sgr_) {
                out += sgr_for_attribute(model[u].attribute);
                sgr_ = model[u].attribute;
            }
            out += cp437_utf8(model[u].glyph);
            shown[u] = model[u];
            // Auto-wrap is off: after the last column the cursor stays put.
            if (u + 1 < size_.columns) {
                ++at_column_;
            } else {
                at_row_ = at_column_ = -1;
            }
        }
    }
    std::fill(screen.row_changed.begin(), screen.row_changed.end(), std::uint8_t{0});
    screen.geometry_changed = false;
    shown_valid_ = true;
    draw_cursor(screen, view, out);
}

void AnsiRenderer::draw_cursor(const Screen& screen, const View& view, std::string& out) {
    int row = -1;
    for (int t = 0; t < size_.rows; ++t) {
        if (model_row_of(screen, view, t) == screen.row) row = t;
    }
    const int column = screen.column - view.left;
    const bool visible = screen.cursor_visible && row >= 0 && column >= 0 && column < size_.columns;
    if (visible) {
        const bool moved = !cursor_known_ || row != cursor_row_ || column != cursor_column_ || at_row_ != row || at_column_ != column;
        if (moved || !cursor_on_) {
            move_to(out, row, column);
            if (!cursor_on_) out += SHOW_CURSOR;
        }
    } else if (cursor_on_ || !cursor_known_) {
        out += HIDE_CURSOR;
    }
    cursor_on_ = visible;
    cursor_known_ = true;
    cursor_row_ = row;
    cursor_column_ = column;
}

}  // namespace zizuvu
