#include "platform/screen_cells.hpp"

#include <algorithm>
#include <cstddef>

namespace zizuvu {

Screen::Screen(int columns, int rows)
    : width(std::clamp(columns, 1, MAX_SCREEN_DIMENSION)),
      height(std::clamp(rows, 1, MAX_SCREEN_DIMENSION)),
      cells(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)),
      row_changed(static_cast<std::size_t>(height), 1) {}

}  // namespace zizuvu
