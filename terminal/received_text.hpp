#pragma once
// How the bytes the radio sends show on the terminal screen. Rows 2 to 50 are the
// text area: it scrolls up a line when text would reach row 51, so the title bar on
// row 1 and the status bar on row 51 never move.
//
//   TEXT_TOP_ROW, TEXT_BOTTOM_ROW
//   show_received_byte   one byte: above 20 a glyph at the cursor, 13 the line break,
//                        every other byte nothing at all
//
// No byte is ever interpreted otherwise: an escape sequence from the radio is just
// its glyphs.

#include <cstdint>

#include "console/screen.hpp"

namespace zizuvu {

inline constexpr int TEXT_TOP_ROW = 2;
inline constexpr int TEXT_BOTTOM_ROW = 50;

void show_received_byte(Screen& screen, std::uint8_t byte);

}  // namespace zizuvu
