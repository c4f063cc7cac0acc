#pragma once
// Start-up and the main menu.
//
//   TITLE_TEXT         the banner (app/program_version.hpp)
//   start_up           console size, port settings, error state: everything before the menu
//   run_main_menu      draw, wait for one key, dispatch; returns when the operator ends the program
//   draw_main_menu     the whole menu screen

#include <string_view>

#include "app/program.hpp"
#include "app/program_version.hpp"

namespace zizuvu {


void start_up(Program& program);
void run_main_menu(Program& program);
void draw_main_menu(Session& session);

}  // namespace zizuvu
