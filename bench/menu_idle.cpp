// Processor use and resident memory of the program idle at its main menu.
#include <cstdio>
#include <cstdlib>

#include "tests/support/process_usage.hpp"
#include "tests/support/pty_process.hpp"

int main() {
    using namespace std::chrono_literals;
    for (int n = 1; n <= 9; ++n) setenv(("ZIZUVU_COM" + std::to_string(n)).c_str(), "/nonexistent/zizuvu-bench", 1);
    auto program = zizuvu::testing::PtyProcess::start({ZIZUVU_EXECUTABLE});
    if (!program || !program->wait_for_text("End program")) {
        std::fprintf(stderr, "the program did not show its menu\n");
        return 1;
    }
    const double percent = zizuvu::testing::measure_idle(program->pid(), 5000ms);
    const long kilobytes = zizuvu::testing::resident_kilobytes(program->pid());
    std::printf("menu idle over 5 s: processor %.3f %% of one core (target < 1 %%)\n", percent);
    std::printf("resident memory: %.2f MB (target < 8 MB)\n", static_cast<double>(kilobytes) / 1024.0);
    program->send("\x1b");
    program->wait_exit();
    return 0;
}
