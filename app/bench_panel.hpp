#pragma once
// The bench panel below the main menu, rows 45 to 49 on black: the image the
// downloads send, the port with its device and the state it is in, the last error
// the status row showed, in words with its fix, where the service records are kept
// (or why they cannot be), and what the last terminal session could not write. Grey for information, bright green
// for a good state, bright red for a fault. Nothing else on the menu moves.
//
// The port question (menu choice "3") lists Com1..Com9 in the same colours, rows 40
// to 49, below where the questions are asked.
//
//   PANEL_TOP_ROW, PANEL_BOTTOM_ROW, PORT_LIST_TOP_ROW
//   draw_bench_panel   the panel as things stand now
//   draw_port_list     the nine ports with their devices and states
// Both leave the cursor and the colours as they found them.

#include "app/program.hpp"

namespace zizuvu {

inline constexpr int PANEL_TOP_ROW = 45;
inline constexpr int PANEL_BOTTOM_ROW = 49;
inline constexpr int PORT_LIST_TOP_ROW = 40;

void draw_bench_panel(Program& program);
void draw_port_list(Session& session);

}  // namespace zizuvu
