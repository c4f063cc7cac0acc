#pragma once
// What must be done to a Win32 console screen buffer to bring it in line with the
// screen model: the model's whole-row scrolls replayed as block moves, then the
// cells that still differ, one run per row (one WriteConsoleOutputA each), then the
// cursor. Keeps a copy of what the console shows so that unchanged cells are never
// written again.
//
// Plain logic without windows.h: the console device carries the plan out.
//
//   ConsoleSegment, ConsoleUpdate   the plan
//   ConsoleMirror::plan             the plan for the model as it is now; marks its rows seen
//   ConsoleMirror::invalidate       the console's content is unknown: draw everything

#include <vector>

#include "platform/screen_cells.hpp"

namespace zizuvu {

// `count` cells of model row `row` from `column` on (0-based).
struct ConsoleSegment {
    int row = 0;
    int column = 0;
    int count = 0;
};

struct ConsoleUpdate {
    bool resize = false;  // the buffer must become the model's width x height first
    int width = 0;
    int height = 0;
    std::vector<RowScroll> scrolls;  // in order, before the segments
    std::vector<ConsoleSegment> segments;
    bool move_cursor = false;
    int cursor_row = 0;
    int cursor_column = 0;
    bool change_cursor_visibility = false;
    bool cursor_visible = true;

    void clear();
};

class ConsoleMirror {
public:
    void plan(Screen& screen, ConsoleUpdate& update);
    void invalidate() { valid_ = false; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Cell> shown_;
    std::vector<std::uint8_t> stale_;  // rows whose cells are unknown: written whole
    bool valid_ = false;
    bool cursor_known_ = false;
    int cursor_row_ = -1;
    int cursor_column_ = -1;
    bool cursor_visible_ = false;
};

}  // namespace zizuvu
