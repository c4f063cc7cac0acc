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
        for (const int baud : {115200, 38400})
            cases.push_back({std::string(d->key) + "-" + std::to_string(baud), d, baud});
    }
    cases.push_back({"idle", nullptr, 0});
    return cases;
}

struct Choice {
    std::vector<Case> cases;
    int pairs = 3;
};

constexpr const char* SHORT_CASE = "x72-115200";

int usage(const std::string& why) {
    std::fprintf(stderr, "bench_download_speed: %s\n", why.c_str());
    std::fprintf(stderr, "usage: bench_download_speed [--short] [--pairs N] [--case NAME]...\ncases:");
    for (const Case& c : all_cases()) std::fprintf(stderr, " %s", c.name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
}

bool short_run_asked() {
    const char* value = std::getenv("ZIZUVU_BENCH_SHORT");
    return value != nullptr && std::strcmp(value, "") != 0 && std::strcmp(value, "0") != 0;
}

// 1 to 99, or 0.
int pairs_from(const std::string& text) {
    char* end = nullptr;
    const long pairs = std::strtol(text.c_str(), &end, 10);
    return end != text.c_str() && *end == '\0' && pairs >= 1 && pairs <= 99 ? static_cast<int>(pairs) : 0;
}

// The cases named, in the order of a full run; all of them if none is named.
bool pick_cases(const std::vector<std::string>& named, std::vector<Case>& picked, std::string& unknown) {
    const std::vector<Case> cases = all_cases();
    for (const std::string& name : named) {
        bool known = false;
        for (const Case& c : cases) known = known || name == c.name;
        if (!known) {
            unknown = name;
            return false;
        }
    }
    for (const Case& c : cases) {
        bool wanted = named.empty();
        for (const std::string& name : named) wanted = wanted || name == c.name;
        if (wanted) picked.push_back(c);
    }
    return true;
}

// 0 when the arguments are good, else the exit status.
int choose(int argc, char** argv, Choice& choice) {
    std::vector<std::string> named;
    if (short_run_asked()) named.emplace_back(SHORT_CASE);
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool has_value = i + 1 < argc;
        if (option == "--short") {
            named.emplace_back(SHORT_CASE);
        } else if (option == "--case" && has_value) {
            named.emplace_back(argv[++i]);
        } else if (option == "--pairs" && has_value) {
            const std::string value = argv[++i];
            choice.pairs = pairs_from(value);
            if (choice.pairs == 0) return usage("--pairs wants a number from 1 to 99, not '" + value + "'");
        } else {
            return usage("unknown or incomplete option '" + option + "'");
        }
    }
    std::string unknown;
    if (!pick_cases(named, choice.cases, unknown)) return usage("no case named '" + unknown + "'");
    return 0;
}

// One pair (or, unpaced, a triple): the download and the bare exchanges after it.
struct Pair {
    RunFigures download;
    RunFigures bare;  // unpaced: the better of normal and raised priority
    RunFigures normal_bare;
    RunFigures raised_bare;
};

// One run's figures, the times per data byte split by the radio's log.
struct RunSummary {
    double seconds = 0;
    double turnaround_median_us = 0;
    double turnaround_p90_us = 0;
    double per_byte_us = 0;  // in all, then its parts:
    double turnarounds_per_byte_us = 0;
    double holds_per_byte_us = 0;
    double rest_per_byte_us = 0;  // before the first byte and after the last
};

RunSummary summarise(const RunFigures& run, long data_bytes) {
    const auto per_byte = [data_bytes](const std::vector<double>& gaps) {
        double sum = 0;
        for (const double gap : gaps) sum += gap;
        return sum / static_cast<double>(data_bytes);
    };
    const GapFigures turnaround = gap_figures(run.gaps.turnaround_us);
    RunSummary summary{run.seconds,
                       turnaround.median_us,
                       turnaround.p90_us,
                       run.seconds * 1e6 / static_cast<double>(data_bytes),
                       per_byte(run.gaps.turnaround_us),
                       per_byte(run.gaps.hold_us),
                       0};
    summary.rest_per_byte_us = summary.per_byte_us - summary.turnarounds_per_byte_us - summary.holds_per_byte_us;
    return summary;
}

struct CaseFigures {
    std::vector<RunSummary> downloads, bares;
    std::vector<double> ratios;
    int failures = 0;
};

double median_of(const std::vector<RunSummary>& runs, double RunSummary::*field) {
    std::vector<double> values;
    for (const RunSummary& run : runs) values.push_back(run.*field);
    return median(values);
}

// The median over the pairs of the download's figure less the bare exchange's.
double median_difference(const CaseFigures& f, double RunSummary::*field) {
    std::vector<double> values;
    for (std::size_t i = 0; i < f.downloads.size(); ++i) values.push_back(f.downloads[i].*field - f.bares[i].*field);
    return median(values);
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
    const bool normal_better =
        pair.normal_bare.ok && (!pair.raised_bare.ok || pair.normal_bare.seconds < pair.raised_bare.seconds);
    pair.bare = normal_better ? pair.normal_bare : pair.raised_bare;
    return pair;
}

void print_pair(int n, const Pair& pair, const CaseFigures& f) {
    if (!pair.download.ok || !pair.bare.ok) {
        std::printf(
            "  pair %d failed: %s\n", n,
            (!pair.download.ok ? "download: " + pair.download.why_not : "bare exchange: " + pair.bare.why_not).c_str());
        return;
    }
    const RunSummary& download = f.downloads.back();
    const RunSummary& bare = f.bares.back();
    std::printf("  pair %d: download %.2f s, bare exchange %.2f s", n, download.seconds, bare.seconds);
    if (pair.normal_bare.ok && pair.raised_bare.ok) {
        std::printf(" (normal %.2f s, raised %.2f s)", pair.normal_bare.seconds, pair.raised_bare.seconds);
    }
    std::printf(", ratio %.3f; turnaround median %.0f us, 90th %.0f us (bare %.0f, %.0f)\n", f.ratios.back(),
                download.turnaround_median_us, download.turnaround_p90_us, bare.turnaround_median_us,
                bare.turnaround_p90_us);
    std::fflush(stdout);
}

std::string verdict(double value, double target) {
    if (value <= target) return "met";
    char text[64];
    std::snprintf(text, sizeof text, "missed by %.3g", value - target);
    return text;
}

void print_turnaround(const CaseFigures& f) {
    const double turnaround = median_of(f.downloads, &RunSummary::turnaround_median_us);
    const double p90 = median_of(f.downloads, &RunSummary::turnaround_p90_us);
    const double bare_turnaround = median_of(f.bares, &RunSummary::turnaround_median_us);
    const double bare_p90 = median_of(f.bares, &RunSummary::turnaround_p90_us);
    const double difference = turnaround - bare_turnaround;
    std::printf("  program's turnaround, the radio's answer written to the next frame read:\n");
    std::printf("    median %.0f us, 90th percentile %.0f us; bare exchange %.0f us, %.0f us;\n", turnaround, p90,
                bare_turnaround, bare_p90);
    std::printf("    difference %+.0f us, %+.0f us (target: median within %.0f us: %s)\n", difference, p90 - bare_p90,
                TURNAROUND_TARGET_US, verdict(difference, TURNAROUND_TARGET_US).c_str());
}

void print_breakdown(const CaseFigures& f) {
    std::printf("  us per data byte, download (bare exchange; median difference): in all %.1f (%.1f; %+.1f),\n",
                median_of(f.downloads, &RunSummary::per_byte_us), median_of(f.bares, &RunSummary::per_byte_us),
                median_difference(f, &RunSummary::per_byte_us));
    std::printf(
        "    program's turnarounds %.1f (%.1f; %+.1f), radio's holds %.1f (%.1f; %+.1f), the rest %.1f (%.1f; %+.1f)\n",
        median_of(f.downloads, &RunSummary::turnarounds_per_byte_us),
        median_of(f.bares, &RunSummary::turnarounds_per_byte_us),
        median_difference(f, &RunSummary::turnarounds_per_byte_us),
        median_of(f.downloads, &RunSummary::holds_per_byte_us), median_of(f.bares, &RunSummary::holds_per_byte_us),
        median_difference(f, &RunSummary::holds_per_byte_us), median_of(f.downloads, &RunSummary::rest_per_byte_us),
        median_of(f.bares, &RunSummary::rest_per_byte_us), median_difference(f, &RunSummary::rest_per_byte_us));
}

void print_summary(const Case& c, const CaseFigures& f) {
    if (f.ratios.empty()) return;
    const double ratio_target = c.baud > 0 ? RATIO_TARGET : UNPACED_RATIO_TARGET;
    const double ratio = median(f.ratios);
    std::printf("  median of %zu: download %.2f s, bare exchange %.2f s; ratio %.3f (target <= %.2f: %s)\n",
                f.ratios.size(), median_of(f.downloads, &RunSummary::seconds), median_of(f.bares, &RunSummary::seconds),
                ratio, ratio_target, verdict(ratio, ratio_target).c_str());
    print_turnaround(f);
    print_breakdown(f);
}

// False if a run failed.
bool measure(const Case& c, int pairs, long data_bytes) {
    const double wire =
        c.baud > 0 ? static_cast<double>(data_bytes) * wire_byte_times(c.download->shape) * 10.0 / c.baud : 0;
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
        if (ok) {
            figures.downloads.push_back(summarise(pair.download, data_bytes));
            figures.bares.push_back(summarise(pair.bare, data_bytes));
            figures.ratios.push_back(pair.download.seconds / pair.bare.seconds);
        }
        figures.failures += ok ? 0 : 1;
        print_pair(n, pair, figures);
    }
    print_summary(c, figures);
    return figures.failures == 0;
}

bool measure_idle() {
    const double percent = idle_percent();
    if (percent < 0) {
        std::printf("waiting for an identification that never comes: the wait was not reached\n");
        return false;
    }
    std::printf("waiting 5 s for an identification that never comes: processor %.3f %% of one core (target < 1 %%)\n",
                percent);
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
    std::printf("image: %ld data bytes; %d interleaved pair(s) per case: download, then the bare exchange%s\n",
                data_bytes, choice.pairs, choice.pairs < 3 ? " (fewer than 3: the medians decide nothing)" : "");
    bool all_made = true;
    for (const Case& c : choice.cases)
        all_made = (c.download != nullptr ? measure(c, choice.pairs, data_bytes) : measure_idle()) && all_made;
    return all_made ? 0 : 1;
}
