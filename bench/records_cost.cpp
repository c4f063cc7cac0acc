// What keeping the service records costs a download: the same X.72 download, paced
// by the radio at 115200 baud (high speed), alternately with records and without, in
// one run, the order swapped each round so that a drift of the machine falls on both.
//
// The program has no switch that keeps no records. "Without" gives it a records file
// it cannot open (its folder is a plain file): it gives up once at start-up, before
// the menu, and its downloads then touch no file at all. "With" keeps them in a file
// on the disk of the run's scratch folder, every write synced, as on a bench.
//
// The time is the operator's, from the last answer typed to the finish screen: it
// takes in the row written before the first byte and the one written after the last.
// The program's own "Program Time" leaves both out; it is shown beside it. On a busy
// machine the paced stream itself varies by more than the rows cost, so the part
// outside the programming (operator's time less program time), where the writes are,
// is printed too, with its difference as a share of the download.
// Target: with records within 1 % of without. It prints; its exit status says only
// whether every run could be made.
//
//   bench_records_cost [--rounds N]   (default 3; ZIZUVU_BENCH_SHORT=1: 1)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/download_run.hpp"
#include "bench/spread.hpp"
#include "tests/support/history_rows.hpp"
#include "tests/support/run_command.hpp"

namespace {

using namespace zizuvu;
using namespace zizuvu::bench;

constexpr double RATIO_TARGET = 1.01;
constexpr int HIGH_SPEED = 115200;

struct Variant {
    const char* name;
    std::vector<std::string> options;
    std::vector<double> operator_seconds, program_seconds;
};

int rounds_asked(int argc, char** argv) {
    const char* short_run = std::getenv("ZIZUVU_BENCH_SHORT");
    int rounds = short_run != nullptr && std::strcmp(short_run, "") != 0 && std::strcmp(short_run, "0") != 0 ? 1 : 3;
    if (argc == 3 && std::strcmp(argv[1], "--rounds") == 0) rounds = std::atoi(argv[2]);
    else if (argc != 1) rounds = 0;
    return rounds >= 1 && rounds <= 99 ? rounds : 0;
}

bool measure(Variant& variant) {
    const RunFigures run = run_download(X72_DOWNLOAD, HIGH_SPEED, variant.options);
    if (!run.ok) {
        std::printf("  %s: failed: %s\n", variant.name, run.why_not.c_str());
        return false;
    }
    variant.operator_seconds.push_back(run.operator_seconds);
    variant.program_seconds.push_back(run.seconds);
    std::printf("  %-16s %.3f s (program time %.2f s)\n", variant.name, run.operator_seconds, run.seconds);
    std::fflush(stdout);
    return true;
}

// Per run, the operator's time less the program's: the questions' end, the link's
// opening and handshake, and the rows written before and after.
std::vector<double> outside(const Variant& variant) {
    std::vector<double> seconds;
    for (std::size_t i = 0; i < variant.operator_seconds.size(); ++i)
        seconds.push_back(variant.operator_seconds[i] - variant.program_seconds[i]);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = rounds_asked(argc, argv);
    if (rounds == 0) {
        std::fprintf(stderr, "usage: bench_records_cost [--rounds N]   (N from 1 to 99)\n");
        return 2;
    }
    for (int n = 1; n <= 9; ++n) setenv(("ZIZUVU_COM" + std::to_string(n)).c_str(), "/nonexistent/zizuvu-bench", 1);
    // Nothing the benchmark starts reaches the real home folder.
    const testing::TempDir scratch;
    setenv("HOME", scratch.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", scratch.path().c_str(), 1);
    setenv("XDG_STATE_HOME", scratch.path().c_str(), 1);
    const std::string records = scratch.file("records.sqlite3");
    testing::write_file(scratch.file("plain-file"), "");
    Variant with{"with records", {"--records", records}, {}, {}};
    Variant without{"without records", {"--records", scratch.file("plain-file/records.sqlite3")}, {}, {}};

    std::printf("X.72 download paced at %d baud, with and without service records, %d round(s)%s\n", HIGH_SPEED,
                rounds, rounds < 3 ? " (fewer than 3: the medians decide nothing)" : "");
    bool all_made = true;
    for (int round = 1; round <= rounds; ++round) {
        std::printf("round %d:\n", round);
        Variant& first = round % 2 == 1 ? with : without;
        Variant& second = round % 2 == 1 ? without : with;
        all_made = measure(first) && all_made;
        all_made = measure(second) && all_made;
    }
    // The records were kept, one row for each download with them, and none without.
    std::size_t complete = 0;
    for (const std::string& row : testing::history_rows(records, {"outcome"})) complete += row == "complete" ? 1 : 0;
    std::printf("rows kept complete: %zu, of %zu downloads with records\n", complete, with.operator_seconds.size());
    if (with.operator_seconds.empty() || without.operator_seconds.empty()) return 1;
    const double with_median = median(with.operator_seconds);
    const double without_median = median(without.operator_seconds);
    const double ratio = with_median / without_median;
    std::printf("median: with records %.3f s, without %.3f s, difference %+.1f ms; ratio %.4f (target <= %.2f: %s)\n",
                with_median, without_median, (with_median - without_median) * 1e3, ratio, RATIO_TARGET,
                ratio <= RATIO_TARGET ? "met" : "missed");
    std::printf("program time (leaves the writes out): with %.2f s, without %.2f s\n", median(with.program_seconds),
                median(without.program_seconds));
    const double with_outside = median(outside(with));
    const double without_outside = median(outside(without));
    std::printf("outside the programming: with %.1f ms, without %.1f ms; the rows cost %+.1f ms, %+.3f %% of the download\n",
                with_outside * 1e3, without_outside * 1e3, (with_outside - without_outside) * 1e3,
                (with_outside - without_outside) / without_median * 100);
    return all_made ? 0 : 1;
}
