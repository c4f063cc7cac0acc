#include "bench/download_run.hpp"

#include <cstdlib>
#include <vector>

#include "tests/support/process_usage.hpp"
#include "tests/support/pty_process.hpp"
#include "tests/support/radio_peer.hpp"
#include "tests/support/run_command.hpp"

namespace zizuvu::bench {
namespace {

using namespace std::chrono_literals;
using testing::PtyProcess;
using testing::RadioProcess;

RunFigures failed(std::string why) {
    RunFigures run;
    run.why_not = std::move(why);
    return run;
}

// The program's own measure, "Program Time is ##.## S", in seconds; -1 if not shown.
double shown_program_time(const PtyProcess& program) {
    std::string row;
    for (int r = 1; r <= 51; ++r) {
        if (program.screen().row_text(r).rfind("Program Time is", 0) == 0) row = program.screen().row_text(r);
    }
    // A time of 100 s or more is widened behind a "%".
    const std::size_t digits = row.find_first_of("0123456789", 15);
    return digits == std::string::npos ? -1 : std::strtod(row.c_str() + digits, nullptr);
}

// From the menu through both questions (high speed: 115200 baud, else 38400) to the
// finish screen and back out; the program time shown (-1 if none) and the operator's.
void download_through(PtyProcess& program, const Download& download, bool high_speed, RunFigures& run) {
    run.seconds = -1;
    if (!program.wait_for_text("End program")) return;
    program.send(std::string(1, download.menu_key));
    program.drain_for(200ms);
    const auto typed = std::chrono::steady_clock::now();
    program.send(high_speed ? "Y\rY\r" : "Y\r\r");
    if (!program.wait_for_text("Hit any key to return", 900s)) return;
    run.operator_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - typed).count();
    program.drain_for(100ms);
    run.seconds = shown_program_time(program);
    program.send("k");
    program.wait_for_text("End program");
    program.send("\x1b");
    program.wait_exit();
}

}  // namespace

RunFigures run_download(const Download& download, int baud, const std::vector<std::string>& program_options) {
    testing::TempDir dir;
    std::vector<std::string> radio_options = {"--erase-ms", "50"};
    if (baud > 0) radio_options.emplace_back("--pace");
    auto radio = RadioProcess::start(dir.path(), radio_options);
    if (!radio) return failed("the simulated radio did not start");
    std::vector<std::string> arguments = {ZIZUVU_EXECUTABLE};
    arguments.insert(arguments.end(), program_options.begin(), program_options.end());
    auto program = PtyProcess::start(arguments, {"ZIZUVU_COM1=" + radio->path()});
    if (!program) return failed("the program did not start");
    RunFigures run;
    download_through(*program, download, baud != 38400, run);
    // Stopped, the radio has written all of its log.
    radio->stop();
    if (run.seconds < 0) return failed("the download did not finish; the radio said: " + radio->errors());
    run.ok = true;
    run.gaps = line_gaps(testing::read_wire_log(radio->log_path()));
    return run;
}

RunFigures run_bare_exchange(const Download& download, int baud, bool raised, long data_bytes) {
    testing::TempDir dir;
    const ExchangeRun exchange =
        run_lockstep_exchange({download.shape, data_bytes, baud, raised, dir.file("radio.log")});
    if (!exchange.ok) return failed(exchange.why_not);
    RunFigures run;
    run.ok = true;
    run.seconds = exchange.seconds;
    run.gaps = line_gaps(testing::read_wire_log(dir.file("radio.log")));
    return run;
}

double idle_percent() {
    testing::TempDir dir;
    auto radio = RadioProcess::start(dir.path(), {"--fault", "silent-identification"}, false);
    if (!radio) return -1;
    auto program = PtyProcess::start({ZIZUVU_EXECUTABLE}, {"ZIZUVU_COM1=" + radio->path()});
    if (!program || !program->wait_for_text("End program")) return -1;
    program->send("1");
    program->drain_for(200ms);
    program->send("Y\r\r");
    if (!program->wait_for_text("Waiting for Radio ID")) return -1;
    program->drain_for(200ms);
    const double percent = testing::measure_idle(program->pid(), 5000ms);
    program->send("x");
    program->wait_for_text("End program");
    program->send("\x1b");
    program->wait_exit();
    return percent;
}

}  // namespace zizuvu::bench
