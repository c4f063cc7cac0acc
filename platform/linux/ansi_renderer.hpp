#pragma once
// Brings a Unix terminal in line with the screen model: only cells that changed are
// sent, colours as SGR sequences, every byte as its code-page glyph in UTF-8, then
// the cursor. Nothing of a cell's byte ever reaches the terminal raw, so text from
// the radio cannot act on the operator's terminal.
//
// Rows that the model scrolled are scrolled on the terminal too (a scroll region and
// index or reverse index, as every VT100 descendant has them), so a scrolling text area
// costs the new line's cells rather than every row again.
//
// A terminal smaller than the model shows a window of it that keeps the cursor's row
// and column in view, with the status row always on the terminal's last row.
//
//   TerminalSize, AnsiRenderer::resize, AnsiRenderer::invalidate, AnsiRenderer::render
//   sgr_for_attribute     the SGR sequence of a console attribute

#include <string>
#include <vector>

#include "platform/screen_cells.hpp"

namespace zizuvu {

struct TerminalSize {
    int rows = 24;
    int columns = 80;
};

std::string sgr_for_attribute(std::uint8_t attribute);

class AnsiRenderer {
public:
    explicit AnsiRenderer(TerminalSize size = {});

    void resize(TerminalSize size);
    // The terminal's content is unknown (after a resume or a resize): draw everything.
    void invalidate();
    // Appends the bytes that bring the terminal from what it shows to the model, and
    // marks the model's rows as seen. Appends nothing when nothing changed.
    void render(Screen& screen, std::string& out);

private:
    struct View {
        int top = 0;   // first model row of the body
        int left = 0;  // first model column
    };

    View view_for(const Screen& screen) const;
    int model_row_of(const Screen& screen, const View& view, int terminal_row) const;
    void move_to(std::string& out, int row, int column);
    void draw_cursor(const Screen& screen, const View& view, std::string& out);
    void replay_row_scrolls(const Screen& screen, std::string& out);

    TerminalSize size_;
    std::vector<Cell> shown_;  // size_.rows x size_.columns, as last drawn
    std::vector<std::uint8_t> stale_rows_;  // terminal rows whose cells are unknown: drawn whole
    bool shown_valid_ = false;
    View view_{};
    int sgr_ = -1;              // attribute the terminal is drawing with, -1 unknown
    int at_row_ = -1;           // where the terminal's cursor is, -1 unknown
    int at_column_ = -1;
    int cursor_row_ = -1;       // where the visible cursor was left
    int cursor_column_ = -1;
    bool cursor_on_ = false;
    bool cursor_known_ = false;
};

}  // namespace zizuvu
