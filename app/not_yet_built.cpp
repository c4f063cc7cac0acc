#include "app/procedures.hpp"

// Menu choices whose procedures are still being built return straight to the menu.
namespace zizuvu {

void download_older_radio(Program&) {}
void download_current_radio(Program&) {}
void run_setup_terminal(Program&) {}
void program_retry(Program&) {}

}  // namespace zizuvu
