#include <cstdio>

#include "app/run_actions.hpp"
#include "settings/exit_status.hpp"

namespace zizuvu {

// Each port's download runs in a child process made by fork, which Windows lacks.
int flash_radios(const RunSettings& /*settings*/, DownloadImage /*image*/) {
    std::fputs("zizuvu: flash is not available in the Windows build yet; use the menu's downloads\n", stderr);
    return EXIT_USAGE;
}

}  // namespace zizuvu
