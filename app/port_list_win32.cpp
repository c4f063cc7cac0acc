#include <cstdio>

#include "app/run_actions.hpp"

namespace zizuvu {

int list_ports(const RunSettings& /*settings*/) {
    std::fputs("zizuvu: listing the serial ports is not available on Windows yet;\n"
               "the Device Manager's \"Ports (COM & LPT)\" lists them.\n",
               stderr);
    return 1;
}

}  // namespace zizuvu
