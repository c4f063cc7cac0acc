#pragma once
// The screen's geometry and its status row: row 51, a blue bar with the port and the
// terminal's baud rate on the left and the error indicator on the right.
//
//   SCREEN_COLUMNS, SCREEN_ROWS, STATUS_ROW
//   draw_settings_line   the bar with "  Com1", and from column 15 "Baudrate = " and
//                        the rate; the cursor is left behind it in the bar's colours

#include "session/session.hpp"

namespace zizuvu {

inline constexpr int SCREEN_COLUMNS = 80;
inline constexpr int SCREEN_ROWS = 51;
inline constexpr int STATUS_ROW = 51;

void draw_settings_line(Session& session);

}  // namespace zizuvu
