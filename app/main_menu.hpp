#pragma once
// Start-up and the main menu.
//
//   TITLE_TEXT         the banner
//   start_up           console size, port settings, error state: everything before the menu
//   run_main_menu      draw, wait for one key, dispatch; returns when the operator ends the program
//   draw_main_menu     the whole menu screen
//   draw_settings_line the blue status bar on row 51 with the port and the baud rate

#include <string_view>

#include "app/program.hpp"

namespace zizuvu {

inline constexpr std::string_view TITLE_TEXT = "ZIzuvu Revision 5.80 for 900MHz";
inline constexpr int SCREEN_COLUMNS = 80;
inline constexpr int SCREEN_ROWS = 51;
inline constexpr int STATUS_ROW = 51;

void start_up(Program& program);
void run_main_menu(Program& program);
void draw_main_menu(Program& program);
void draw_settings_line(Program& program);

}  // namespace zizuvu
