#pragma once
// The terminal's status bar on row 51, in the bar's colours: the settings line and
// the way out while the radio's device is there; while it is not (never there, or
// gone since), that it is missing and that the terminal waits for it, with the same
// way out.
//
//   draw_terminal_status    the settings line, then "  Q or q to quit" (the cursor
//                           is left behind it, as the screen set-up expects)
//   show_port_missing_status  "Com1 not available - waiting for it" instead
//   show_port_back_status   the settings line again
//
// The two show_ functions leave the error indicator (columns 65 to 76), the cursor
// and the current colours as they found them.

#include "session/session.hpp"

namespace zizuvu {

void draw_terminal_status(Session& session);
void show_port_missing_status(Session& session);
void show_port_back_status(Session& session);

}  // namespace zizuvu
