#include "app/procedures.hpp"

// Menu choices whose procedures are still being built return straight to the menu.
namespace zizuvu {

void run_setup_terminal(Program&) {}

}  // namespace zizuvu
