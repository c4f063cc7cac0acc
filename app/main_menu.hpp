#pragma once
// Start-up and the main menu.
//
//   TITLE_TEXT         the banner (app/program_version.hpp)
//   start_up           console size, port settings, error state: everything before the menu
//                      (the port and the terminal's speed the run starts with, Com1 at 19200
//                      unless the command line or the configuration says otherwise)
//   run_main_menu      draw, wait for one key, dispatch; returns when the operator ends the program
//   draw_main_menu     the whole menu screen, the bench panel below it included

#include <string_view>

#include "app/program.hpp"
#include "app/program_version.hpp"

namespace zizuvu {


void start_up(Program& program, const PortSettings& starting = PortSettings{});
void run_main_menu(Program& program);
void draw_main_menu(Program& program);

}  // namespace zizuvu
