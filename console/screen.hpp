#pragma once
// The console screen as the program sees it: a grid of character cells, each one
// byte and one colour attribute, with the cursor, the current colours and the
// pending scroll. Every console operation works on this model; a renderer brings
// the real terminal in line with it afterwards. Rows and columns in the interface
// are 1-based, as on the screen.
//
//   Screen (platform/screen_cells.hpp), ScrollDirection
//   set_screen_size, clear_screen, set_colors, locate, cursor_row, cursor_column
//   print_text, print_newline, print_number, next_print_zone, scroll_region
//   current_attribute, cell_at, row_text          (reading the model back)

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/screen_cells.hpp"

namespace zizuvu {

enum class ScrollDirection { up, down, left, right };

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
