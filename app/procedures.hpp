#pragma once
// The procedures the main menu starts. Each takes the run's state, does its work,
// closes whatever it opened and hands control back to the menu, which redraws.

#include "app/program.hpp"

namespace zizuvu {

void download_older_radio(Program& program);    // "0"
void download_current_radio(Program& program);  // "1"
void run_setup_terminal(Program& program);      // "2"
void select_port_and_baud(Program& program);    // "3"
void program_retry(Program& program);           // "4"

}  // namespace zizuvu
