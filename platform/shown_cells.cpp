#include "platform/shown_cells.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

namespace zizuvu {

void shift_shown_rows(std::vector<Cell>& shown, std::vector<std::uint8_t>& stale_rows, int width,
                      const RowScroll& scroll) {
    const int rows = scroll.bottom - scroll.top + 1;
    const int lines = std::min(std::abs(scroll.lines), rows);
    const auto stride = static_cast<std::ptrdiff_t>(width);
    Cell* first = shown.data() + scroll.top * stride;
    if (scroll.lines > 0) {
        std::copy(first + lines * stride, first + rows * stride, first);
    } else {
        std::copy_backward(first, first + (rows - lines) * stride, first + rows * stride);
    }
    // What the console put in the freed rows (blanks in some background) is not worth
    // guessing: they are drawn whole.
    const int freed_top = scroll.lines > 0 ? scroll.bottom - lines + 1 : scroll.top;
    for (int r = freed_top; r < freed_top + lines; ++r) stale_rows[static_cast<std::size_t>(r)] = 1;
}

}  // namespace zizuvu
