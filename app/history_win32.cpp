#include <cstdio>

#include "app/run_actions.hpp"

namespace zizuvu {

int print_history(const RunSettings& /*settings*/) {
    std::fputs("zizuvu: the Windows build keeps no service records (no SQLite for it yet)\n", stderr);
    return 1;
}

}  // namespace zizuvu
