// What the setup terminal costs when the port's name leads to something that is not a
// serial line (a file, a pipe, a directory, /dev/null): it refuses it and tries again
// twice a second, so it should cost no more than a terminal waiting for a missing port.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "tests/support/process_usage.hpp"
#include "tests/support/pty_process.hpp"
#include "tests/support/run_command.hpp"

namespace {

using namespace std::chrono_literals;

constexpr auto PERIOD = 3000ms;

bool measure(const char* what, const std::string& path) {
    auto program = zizuvu::testing::PtyProcess::start({ZIZUVU_EXECUTABLE}, {"ZIZUVU_COM1=" + path});
    if (!program || !program->wait_for_text("End program", 10s)) return false;
    program->send("2");
    if (!program->wait_for_text("not available - waiting for it", 10s)) {
        std::fprintf(stderr, "%s: the terminal did not refuse it\n", what);
        return false;
    }
    const double percent = zizuvu::testing::measure_idle(program->pid(), PERIOD);
    const bool refused = program->screen().row_text(51).substr(68, 3) == " 75";
    std::printf("%-22s error %s, processor over %lld s: %.3f %% of one core\n", what, refused ? "75" : "not 75",
                static_cast<long long>(PERIOD.count() / 1000), percent);
    program->send("q");
    program->wait_for_text("End program", 10s);
    program->send("\x1b");
    program->wait_exit();
    return true;
}

}  // namespace

int main() {
    for (int n = 2; n <= 9; ++n) setenv(("ZIZUVU_COM" + std::to_string(n)).c_str(), "/nonexistent/zizuvu-bench", 1);
    zizuvu::testing::TempDir dir;
    zizuvu::testing::write_file(dir.file("file"), "kept");
    mkfifo(dir.file("fifo").c_str(), 0600);
    std::filesystem::create_directory(dir.file("directory"));
    bool all = measure("regular file", dir.file("file"));
    all = measure("FIFO with no writer", dir.file("fifo")) && all;
    all = measure("directory", dir.file("directory")) && all;
    all = measure("/dev/null", "/dev/null") && all;
    std::printf("(target: under 1 %% of one core for each; the file still holds \"%s\")\n",
                zizuvu::testing::read_file(dir.file("file")).c_str());
    return all ? 0 : 1;
}
