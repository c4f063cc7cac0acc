#pragma once
// What a console renderer last drew, kept in step with the scrolls it asks of the
// console, so that only changed cells are drawn afterwards. Both platforms' renderers
// use it.
//
//   shift_shown_rows   moves the remembered cells of a scrolled region as the console
//                      moves its rows, and marks the rows the scroll freed as unknown

#include <cstdint>
#include <vector>

#include "platform/screen_cells.hpp"

namespace zizuvu {

void shift_shown_rows(std::vector<Cell>& shown, std::vector<std::uint8_t>& stale_rows, int width,
                      const RowScroll& scroll);

}  // namespace zizuvu
