// How fast the downloads run against what this machine allows. A run on these shared
// machines swings by 20-30 % from the next, so every figure is the median of several
// interleaved pairs: a download, then the bare lock-step exchange of the same bytes
// (bench/lockstep_floor.hpp) paced the same way at the same priority, then the next
// download. Beside the times, the radio's log of the line splits each round trip into
// the program's turnaround (answer written to next frame read) and the radio's hold.
//   1. without pacing: time per data byte against the better of the bare exchange at
//      normal and at the download's raised priority (target: ratio <= 1.5);
//   2. with the radio's wire-time pacing at 115200 and 38400 baud: against the bare
//      exchange at the download's raised priority (targets: median ratio <= 1.03, the
//      program's median turnaround within 10 us of the bare exchange's);
//   3. processor use while the program waits for an identification that never comes.
// It prints; its exit status says only whether every run could be made.
//
//   bench_download_speed [--short] [--pairs N] [--case NAME]...
//     --short     one case, x72-115200 (also ZIZUVU_BENCH_SHORT=1): a few minutes
//     --pairs N   pairs per case (default 3; fewer decide nothing)
//     --case      x72-unpaced x71-unpaced x72-115200 x72-38400 x71-115200 x71-38400 idle
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/download_run.hpp"
#include "bench/spread.hpp"
#include "tests/support/download_rig.hpp"
#include "tests/support/run_command.hpp"

namespace {

using namespace zizuvu;
using namespace zizuvu::bench;

constexpr double RATIO_TARGET = 1.03;
constexpr double UNPACED_RATIO_TARGET = 1.5;
constexpr double TURNAROUND_TARGET_US = 10;

struct Case {
    std::string name;
    const Download* download;  // none: the idle case
    int baud;                  // 0: unpaced
};

std::vector<Case> all_cases() {
    std::vector<Case> cases;
    for (const Download* d : {&X72_DOWNLOAD, &X71_DOWNLOAD}) cases.push_back({std::string(d->key) + "-unpaced", d, 0});
    for (const Download* d : {&X72_DOWNLOAD, &X71_DOWNLOAD}) {
        for (const int baud : {115200, 38400}) cases.push_back({std::string(d->key) + "-" + std::to_string(baud), d, baud});
    }
    cases.push_back({"idle", nullptr, 0});
    return cases;
}

struct Choice {
    std::vector<Case> cases;
    int pairs = 3;
};

int usage(const char* why) {
    std::fprintf(stderr, "bench_download_speed: %s\nusage: bench_download_speed [--short] [--pairs N] [--case NAME]...\ncases:", why);
    for (const Case& c : all_cases()) std::fprintf(stderr, " %s", c.name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
}

// 0 when the arguments are good, else the exit status.
int choose(int argc, char** argv, Choice& choice) {
    const std::vector<Case> cases = all_cases();
    const char* short_run = std::getenv("ZIZUVU_BENCH_SHORT");
    std::vector<std::string> named;
    if (short_run != nullptr && std::strcmp(short_run, "") != 0 && std::strcmp(short_run, "0") != 0) named.emplace_back("x72-115200");
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--short") {
            named.emplace_back("x72-115200");
        } else if ((option == "--pairs" || option == "--case") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (option == "--case") {
                named.push_back(value);
                continue;
            }
            char* end = nullptr;
            const long pairs = std::strtol(value.c_str(), &end, 10);
            if (end == value.c_str() || *end != '\0' || pairs < 1 || pairs > 99) return usage(("--pairs wants a number from 1 to 99, not '" + value + "'").c_str());
            choice.pairs = static_cast<int>(pairs);
        } else {
            return usage(("unknown or incomplete option '" + option + "'").c_str());
        }
    }
    for (const Case& c : cases) {
        bool wanted = named.empty();
        for (const std::string& name : named) wanted = wanted || name == c.name;
        if (wanted) choice.cases.push_back(c);
    }
    for (const std::string& name : named) {
        bool known = false;
        for (const Case& c : cases) known = known || name == c.name;
        if (!known) return usage(("no case named '" + name + "'").c_str());
    }
    return 0;
}

// One pair (or, unpaced, a triple): the download and the bare exchanges after it.
struct Pair {
    RunFigures download;
    RunFigures bare;  // unpaced: the better of normal and raised priority
    RunFigures normal_bare;
    RunFigures raised_bare;
};

struct CaseFigures {
    std::vector<double> download_s, bare_s, ratio;
    std::vector<double> turnaround_median, turnaround_p90, bare_turnaround_median, bare_turnaround_p90;
    std::vector<double> turnaround_per_byte, bare_turnaround_per_byte, hold_per_byte, bare_hold_per_byte;
    int failures = 0;
};

double per_data_byte_us(const std::vector<double>& gaps, long data_bytes) {
    double sum = 0;
    for (const double gap : gaps) sum += gap;
    return sum / static_cast<double>(data_bytes);
}

Pair run_pair(const Case& c, long data_bytes) {
    Pair pair;
    pair.download = run_download(*c.download, c.baud);
    if (c.baud > 0) {
        pair.bare = run_bare_exchange(*c.download, c.baud, true, data_bytes);
        return pair;
    }
    pair.normal_bare = run_bare_exchange(*c.download, 0, false, data_bytes);
    pair.raised_bare = run_bare_exchange(*c.download, 0, true, data_bytes);
    const bool normal_better = pair.normal_bare.ok && (!pair.raised_bare.ok || pair.normal_bare.seconds < pair.raised_bare.seconds);
    pair.bare = normal_better ? pair.normal_bare : pair.raised_bare;
    return pair;
}

void record(CaseFigures& f, const Pair& pair, long data_bytes) {
    const GapFigures turnaround = gap_figures(pair.download.gaps.turnaround_us);
    const GapFigures bare_turnaround = gap_figures(pair.bare.gaps.turnaround_us);
    f.download_s.push_back(pair.download.seconds);
    f.bare_s.push_back(pair.bare.seconds);
    f.ratio.push_back(pair.download.seconds / pair.bare.seconds);
    f.turnaround_median.push_back(turnaround.median_us);
    f.turnaround_p90.push_back(turnaround.p90_us);
    f.bare_turnaround_median.push_back(bare_turnaround.median_us);
    f.bare_turnaround_p90.push_back(bare_turnaround.p90_us);
    f.turnaround_per_byte.push_back(per_data_byte_us(pair.download.gaps.turnaround_us, data_bytes));
    f.bare_turnaround_per_byte.push_back(per_data_byte_us(pair.bare.gaps.turnaround_us, data_bytes));
    f.hold_per_byte.push_back(per_data_byte_us(pair.download.gaps.hold_us, data_bytes));
    f.bare_hold_per_byte.push_back(per_data_byte_us(pair.bare.gaps.hold_us, data_bytes));
}

void print_pair(int n, const Pair& pair, const CaseFigures& f) {
    if (!pair.download.ok || !pair.bare.ok) {
        std::printf("  pair %d failed: %s\n", n, (!pair.download.ok ? "download: " + pair.download.why_not : "bare exchange: " + pair.bare.why_not).c_str());
        return;
    }
    std::printf("  pair %d: download %.2f s, bare exchange %.2f s", n, f.download_s.back(), f.bare_s.back());
    if (pair.normal_bare.ok && pair.raised_bare.ok) std::printf(" (normal %.2f s, raised %.2f s)", pair.normal_bare.seconds, pair.raised_bare.seconds);
    std::printf(", ratio %.3f; turnaround median %.0f us, 90th %.0f us (bare %.0f, %.0f)\n", f.ratio.back(),
                f.turnaround_median.back(), f.turnaround_p90.back(), f.bare_turnaround_median.back(), f.bare_turnaround_p90.back());
    std::fflush(stdout);
}

std::string verdict(double value, double target) {
    if (value <= target) return "met";
    char text[64];
    std::snprintf(text, sizeof text, "missed by %.3g", value - target);
    return text;
}

void print_summary(const Case& c, const CaseFigures& f, long data_bytes) {
    if (f.ratio.empty()) return;
    const double ratio_target = c.baud > 0 ? RATIO_TARGET : UNPACED_RATIO_TARGET;
    const double ratio = median(f.ratio);
    std::printf("  median of %zu: download %.2f s, bare exchange %.2f s; ratio %.3f (target <= %.2f: %s)\n", f.ratio.size(),
                median(f.download_s), median(f.bare_s), ratio, ratio_target, verdict(ratio, ratio_target).c_str());
    const double turnaround = median(f.turnaround_median), bare_turnaround = median(f.bare_turnaround_median);
    const double difference = turnaround - bare_turnaround;
    std::printf("  program's turnaround (radio's answer written to the next frame read): median %.0f us, 90th percentile %.0f us;\n"
                "    bare exchange %.0f us, %.0f us; difference %+.0f us, %+.0f us (target: median within %.0f us: %s)\n",
                turnaround, median(f.turnaround_p90), bare_turnaround, median(f.bare_turnaround_p90), difference,
                median(f.turnaround_p90) - median(f.bare_turnaround_p90), TURNAROUND_TARGET_US,
                verdict(difference, TURNAROUND_TARGET_US).c_str());
    const double total = median(f.download_s) * 1e6 / static_cast<double>(data_bytes);
    const double bare_total = median(f.bare_s) * 1e6 / static_cast<double>(data_bytes);
    const double turnarounds = median(f.turnaround_per_byte), bare_turnarounds = median(f.bare_turnaround_per_byte);
    const double holds = median(f.hold_per_byte), bare_holds = median(f.bare_hold_per_byte);
    std::printf("  where the time goes, us per data byte: program's turnarounds %.1f (bare %.1f), radio's holds %.1f (bare %.1f),\n"
                "    the rest %.1f (bare %.1f); in all %.1f (bare %.1f, difference %+.1f)\n",
                turnarounds, bare_turnarounds, holds, bare_holds, total - turnarounds - holds, bare_total - bare_turnarounds - bare_holds,
                total, bare_total, total - bare_total);
}

// False if a run failed.
bool measure(const Case& c, int pairs, long data_bytes) {
    const double wire = c.baud > 0 ? static_cast<double>(data_bytes) * c.download->wire_bytes * 10.0 / c.baud : 0;
    if (c.baud > 0) {
        std::printf("%s, paced at %d baud (wire time %.2f s):\n", c.download->name, c.baud, wire);
    } else {
        std::printf("%s, without pacing (against the better of normal and raised priority):\n", c.download->name);
    }
    std::fflush(stdout);
    CaseFigures figures;
    for (int n = 1; n <= pairs; ++n) {
        const Pair pair = run_pair(c, data_bytes);
        const bool ok = pair.download.ok && pair.bare.ok;
        if (ok) record(figures, pair, data_bytes);
        figures.failures += ok ? 0 : 1;
        print_pair(n, pair, figures);
    }
    print_summary(c, figures, data_bytes);
    return figures.failures == 0;
}

bool measure_idle() {
    const double percent = idle_percent();
    if (percent < 0) {
        std::printf("waiting for an identification that never comes: the wait was not reached\n");
        return false;
    }
    std::printf("waiting 5 s for an identification that never comes: processor %.3f %% of one core (target < 1 %%)\n", percent);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Choice choice;
    if (const int status = choose(argc, argv, choice); status != 0) return status;
    for (int n = 1; n <= 9; ++n) setenv(("ZIZUVU_COM" + std::to_string(n)).c_str(), "/nonexistent/zizuvu-bench", 1);
    // Nothing the benchmark starts reaches the real home folder.
    const testing::TempDir home;
    setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    setenv("XDG_STATE_HOME", home.path().c_str(), 1);
    const long data_bytes = static_cast<long>(testing::image_memory().size());
    std::printf("image: %ld data bytes; %d interleaved pair(s) per case: download, then the bare exchange%s\n", data_bytes,
                choice.pairs, choice.pairs < 3 ? " (fewer than 3: the medians decide nothing)" : "");
    bool all_made = true;
    for (const Case& c : choice.cases) all_made = (c.download != nullptr ? measure(c, choice.pairs, data_bytes) : measure_idle()) && all_made;
    return all_made ? 0 : 1;
}
