// How fast the downloads run, against what this machine allows:
//   1. without pacing: time per data byte against the floor of a bare two-process
//      lock-step exchange of the same bytes over a pseudo-terminal pair (the better
//      of normal and the download's raised priority);
//   2. with the radio's wire-time pacing: programming time against the wire time of
//      the bytes plus that floor, and against the bare exchange paced the same way,
//      at normal and at the download's raised priority;
//   3. processor use while the program waits for an identification that never comes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/lockstep_floor.hpp"
#include "tests/support/process_usage.hpp"
#include "tests/support/download_rig.hpp"
#include "tests/support/pty_process.hpp"

namespace {

using namespace std::chrono_literals;
using namespace zizuvu;
using namespace zizuvu::testing;

struct Download {
    const char* name;
    char menu_key;
    const char* answers;  // the two questions' answers
    bench::ExchangeShape shape;
    int wire_bytes;       // bytes on the line per data byte, both ways
};

// The program's own measure, "Program Time is ##.## S", in seconds; -1 if it did not finish.
double program_time(const Download& download, bool high_speed, bool pace) {
    TempDir dir;
    std::vector<std::string> radio_options = {"--erase-ms", "50"};
    if (pace) radio_options.emplace_back("--pace");
    auto radio = RadioProcess::start(dir.path(), radio_options, false);
    if (!radio) return -1;
    auto program = PtyProcess::start({ZIZUVU_EXECUTABLE}, {"ZIZUVU_COM1=" + radio->path()});
    if (!program->wait_for_text("End program")) return -1;
    program->send(std::string(1, download.menu_key));
    program->drain_for(200ms);
    program->send(std::string(download.answers) + (high_speed ? "Y\r" : "\r"));
    if (!program->wait_for_text("Program Time is", 900s)) return -1;
    program->drain_for(100ms);
    std::string row;
    for (int r = 1; r <= 51; ++r) {
        if (program->screen().row_text(r).rfind("Program Time is", 0) == 0) row = program->screen().row_text(r);
    }
    program->send("k");
    program->wait_for_text("End program");
    program->send("\x1b");
    program->wait_exit();
    // A time of 100 s or more is widened behind a "%".
    const std::size_t digits = row.find_first_of("0123456789", 15);
    return digits == std::string::npos ? -1 : std::strtod(row.c_str() + digits, nullptr);
}

void idle_while_waiting_for_identification() {
    TempDir dir;
    auto radio = RadioProcess::start(dir.path(), {"--fault", "silent-identification"}, false);
    auto program = PtyProcess::start({ZIZUVU_EXECUTABLE}, {"ZIZUVU_COM1=" + radio->path()});
    program->wait_for_text("End program");
    program->send("1");
    program->drain_for(200ms);
    program->send("Y\r\r");
    if (!program->wait_for_text("Waiting for Radio ID")) {
        std::printf("the download did not reach its identification wait\n");
        return;
    }
    program->drain_for(200ms);
    const double percent = testing::measure_idle(program->pid(), 5000ms);
    std::printf("3. waiting 5 s for an identification that never comes: processor %.3f %% of one core (target < 1 %%)\n",
                percent);
    program->send("x");
    program->wait_for_text("End program");
    program->send("\x1b");
    program->wait_exit();
}

}  // namespace

int main() {
    for (int n = 1; n <= 9; ++n) setenv(("ZIZUVU_COM" + std::to_string(n)).c_str(), "/nonexistent/zizuvu-bench", 1);
    const long data_bytes = static_cast<long>(image_memory().size());
    const Download downloads[] = {
        {"X.72 and newer", '1', "Y\r", bench::X72_EXCHANGE, 8},
        {"X.71 and older", '0', "Y\r", bench::X71_EXCHANGE, 6},
    };
    std::printf("image: %ld data bytes\n", data_bytes);
    for (const Download& d : downloads) {
        // The floor is the better of the bare exchange at normal priority and at the
        // download's raised one, which on this rig also keeps the processors awake.
        const double normal_floor_us = bench::lockstep_floor_us(d.shape, 20000);
        const double raised_floor_us = bench::lockstep_floor_us(d.shape, 20000, true);
        const double floor_us = std::min(normal_floor_us, raised_floor_us);
        const double seconds = program_time(d, true, false);
        const double per_byte = seconds * 1e6 / static_cast<double>(data_bytes);
        std::printf("1. %s without pacing: %.1f us per data byte; floor %.1f us (normal priority %.1f, raised %.1f); "
                    "ratio %.2f (target <= 1.5)\n",
                    d.name, per_byte, floor_us, normal_floor_us, raised_floor_us, per_byte / floor_us);
        for (const int baud : {115200, 38400}) {
            const double paced = program_time(d, baud == 115200, true);
            const double wire = static_cast<double>(data_bytes) * d.wire_bytes * 10.0 / baud;
            const double best = wire + floor_us * 1e-6 * static_cast<double>(data_bytes);
            std::printf("2. %s paced at %d baud: %.2f s; wire %.2f s + floor %.2f s = %.2f s; %+.1f %% (target within 3 %%)\n",
                        d.name, baud, paced, wire, best - wire, best, 100.0 * (paced - best) / best);
            // Both sides idle between bytes here, and a wake-up from idle costs more than the
            // hot exchange of (1): the bare exchange paced the same way shows what that adds.
            const double paced_floor = bench::paced_lockstep_floor_us(d.shape, baud, 20000) * 1e-6 * static_cast<double>(data_bytes);
            std::printf("   the bare lock-step exchange paced the same way: %.2f s; the download %+.1f %% of it\n", paced_floor,
                        100.0 * (paced - paced_floor) / paced_floor);
            // The download runs at raised priority: real time, which wakes later from idle
            // on this rig, and processors kept out of idle, which wake at once.
            const double raised_floor =
                bench::paced_lockstep_floor_us(d.shape, baud, 20000, true) * 1e-6 * static_cast<double>(data_bytes);
            std::printf("   the same at the download's raised priority: %.2f s; the download %+.1f %% of it\n", raised_floor,
                        100.0 * (paced - raised_floor) / raised_floor);
        }
    }
    idle_while_waiting_for_identification();
    return 0;
}
