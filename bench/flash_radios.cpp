// What flashing several radios at once costs against flashing one: `zizuvu flash`
// against paced simulated radios at 115200 baud, one radio alone and then four at
// once in the same run, each round's wall time and the processor time of the
// program's processes (the parent and its children, waited for), as a share of one
// core. Four at once should take no more than 1.10 times one alone, at under 10 %.
// For reference, the same download from the menu, by the program on a terminal: what
// the shared download exchange itself costs on this machine; and the floor, the bare
// lock-step exchange of the same bytes against the same pacing (blocking reads and
// writes and nothing else), one alone and four at once: what any program pays here
// for the radios' wake-ups, and what four paced radios on this machine's processors
// cost each other.
//
//   bench_flash_radios [--rounds N]    rounds of (one alone, four at once); default 1
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/lockstep_floor.hpp"
#include "tests/support/download_rig.hpp"
#include "tests/support/process_usage.hpp"
#include "tests/support/pty_process.hpp"
#include "tests/support/radio_peer.hpp"
#include "tests/support/run_command.hpp"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using zizuvu::testing::PtyProcess;
using zizuvu::testing::RadioProcess;
using zizuvu::testing::TempDir;

struct Round {
    bool ok = false;
    double seconds = 0;
    double processor_seconds = 0;
};

double seconds_of(const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; }

// One `zizuvu flash` over `count` freshly started paced radios.
Round flash_radios(int count) {
    TempDir dir;
    std::vector<std::unique_ptr<RadioProcess>> radios;
    std::vector<std::string> arguments = {ZIZUVU_EXECUTABLE, "flash", "--radio", "current", "--high-speed",
                                          "--records", dir.file("records.sqlite3")};
    for (int i = 0; i < count; ++i) {
        const std::string folder = dir.file("radio" + std::to_string(i + 1));
        std::filesystem::create_directory(folder);
        // No wire log: the benchmark measures the program, not the radio's bookkeeping.
        radios.push_back(RadioProcess::start(folder, {"--erase-ms", "20", "--pace"}, false));
        arguments.push_back("--port");
        arguments.push_back(radios.back()->path());
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    Round round;
    if (failed != 0) {
        std::fprintf(stderr, "zizuvu could not be started\n");
        return round;
    }
    int status = 0;
    rusage usage{};
    // The program's own usage and that of the children it waited for.
    if (wait4(pid, &status, 0, &usage) != pid) return round;
    round.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    round.processor_seconds = seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
    round.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!round.ok) std::fprintf(stderr, "flash of %d radio(s) ended with status %d\n", count, status);
    return round;
}

// The same download from the menu (key 1, high speed, the radio's firmware as asked).
Round menu_download() {
    TempDir dir;
    Round round;
    auto radio = RadioProcess::start(dir.path(), {"--erase-ms", "20", "--pace"}, false);
    auto program = radio ? PtyProcess::start({ZIZUVU_EXECUTABLE}, {"ZIZUVU_COM1=" + radio->path()}) : nullptr;
    if (!program || !program->wait_for_text("End program")) return round;
    const double before = zizuvu::testing::processor_seconds(program->pid());
    const auto start = std::chrono::steady_clock::now();
    program->send("1");
    program->drain_for(200ms);
    program->send("Y\rY\r");
    round.ok = program->wait_for_text("Program Time is", 900s);
    round.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    round.processor_seconds = zizuvu::testing::processor_seconds(program->pid()) - before;
    program->send("k");
    program->wait_for_text("End program");
    program->send("\x1b");
    program->wait_exit();
    if (!round.ok) std::fprintf(stderr, "the menu's download did not finish\n");
    return round;
}

// `count` bare exchanges of the image's data bytes at once, each paced at 115200
// against its own radio side, at the download's priority, each in a process of its
// own as flash runs its ports: the wall time of them all, their program sides'
// processor time summed.
Round bare_exchanges(int count) {
    TempDir dir;
    const long data_bytes = static_cast<long>(zizuvu::testing::image_memory().size());
    int figures[2];
    if (pipe(figures) != 0) return {};
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        if (fork() != 0) continue;
        close(figures[0]);
        const zizuvu::bench::ExchangeRun run = zizuvu::bench::run_lockstep_exchange(
            {zizuvu::bench::X72_EXCHANGE, data_bytes, 115200, true, dir.file("radio" + std::to_string(i) + ".log")});
        if (!run.ok) std::fprintf(stderr, "a bare exchange failed: %s\n", run.why_not.c_str());
        const double processor = run.ok ? run.processor_seconds : -1;
        _exit(write(figures[1], &processor, sizeof processor) == sizeof processor ? 0 : 1);
    }
    close(figures[1]);
    Round round{true, 0, 0};
    double processor = 0;
    for (int i = 0; i < count; ++i) {
        round.ok = round.ok && read(figures[0], &processor, sizeof processor) == sizeof processor && processor >= 0;
        round.processor_seconds += processor;
    }
    close(figures[0]);
    while (wait(nullptr) > 0) {}
    round.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return round;
}

void print(const char* what, const Round& round) {
    std::printf("  %-16s %7.2f s   processor %6.3f s = %5.2f %% of one core\n", what, round.seconds,
                round.processor_seconds, 100.0 * round.processor_seconds / round.seconds);
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 1;
    if (argc == 3 && std::string(argv[1]) == "--rounds") rounds = std::atoi(argv[2]);
    if (rounds < 1 || (argc != 1 && argc != 3)) {
        std::fprintf(stderr, "usage: bench_flash_radios [--rounds N]\n");
        return 2;
    }
    for (int n = 1; n <= 9; ++n) setenv(("ZIZUVU_COM" + std::to_string(n)).c_str(), "/nonexistent/zizuvu-bench", 1);
    const TempDir home;
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    setenv("XDG_STATE_HOME", home.path().c_str(), 1);

    std::printf("zizuvu flash --radio current --high-speed, paced radios at 115200 baud\n");
    bool all_ok = true;
    for (int r = 1; r <= rounds; ++r) {
        const Round one = flash_radios(1);
        const Round four = flash_radios(4);
        const Round menu = menu_download();
        const Round bare_one = bare_exchanges(1);
        const Round bare_four = bare_exchanges(4);
        const bool round_ok = one.ok && four.ok && menu.ok && bare_one.ok && bare_four.ok;
        all_ok = all_ok && round_ok;
        if (!round_ok) continue;
        std::printf("round %d\n", r);
        print("one radio", one);
        print("four at once", four);
        print("menu download", menu);
        print("bare, one", bare_one);
        print("bare, four", bare_four);
        std::printf("  four / one: %.3f (target at most 1.10), processor %.2f %% of one core (target under 10 %%)\n",
                    four.seconds / one.seconds, 100.0 * four.processor_seconds / four.seconds);
        std::printf("  the floor here, bare four / one: %.3f, processor %.2f %% of one core\n",
                    bare_four.seconds / bare_one.seconds, 100.0 * bare_four.processor_seconds / bare_four.seconds);
    }
    return all_ok ? 0 : 1;
}
