#include "bench/turnaround.hpp"

#include <gtest/gtest.h>

namespace zizuvu::bench {
namespace {

using testing::WireLogLine;

WireLogLine in(std::int64_t us) { return {us, false, false, 0x55, 115200, ""}; }
WireLogLine out(std::int64_t us) { return {us, false, true, 0x55, 115200, ""}; }
WireLogLine note(std::int64_t us, const char* text) { return {us, true, false, 0, 0, text}; }

struct GapCase {
    const char* what;
    std::vector<WireLogLine> log;
    std::vector<double> turnaround_us;
    std::vector<double> hold_us;
};

TEST(LineGaps, SplitTheDataPhaseIntoTheProgramsTurnaroundsAndTheRadiosHolds) {
    const GapCase cases[] = {
        {"an empty log", {}, {}, {}},
        {"one round trip: a frame, its answer, the next frame",
         {in(100), in(100), in(101), out(540), out(540), in(565)},
         {25},
         {439}},
        {"the handshake and the erase before the data phase do not count",
         {in(0), out(10), in(5000), note(5000, "erasing"), out(55000), note(55001, "erase done: 0xAA sent"), out(55002),
          in(55030), out(55470), in(55490)},
         {28, 20},
         {440}},
        {"only the last erase counts (a retried programming phase)",
         {note(0, "erase done: 0xFF sent"), out(1), in(900), note(950, "erase done: 0xFF sent"), out(960), in(990)},
         {30},
         {}},
        {"a log without an erase (the bare exchange's) counts from its first byte",
         {in(0), out(400), in(420), out(700), in(722)},
         {20, 22},
         {400, 280}},
        {"an answer written in pieces is held until its last byte",
         {in(0), in(0), out(200), out(290), in(310), out(500)},
         {20},
         {290, 190}},
        {"notes between bytes change nothing",
         {in(0), note(1, "stall of 5 ms at data byte 0"), out(5000), note(5001, "violation: x"), in(5031)},
         {31},
         {5000}},
    };
    for (const GapCase& c : cases) {
        SCOPED_TRACE(c.what);
        const LineGaps gaps = line_gaps(c.log);
        EXPECT_EQ(gaps.turnaround_us, c.turnaround_us);
        EXPECT_EQ(gaps.hold_us, c.hold_us);
    }
}

TEST(LineGaps, FiguresOfTheGaps) {
    const GapFigures figures = gap_figures({40, 20, 30, 10, 1000});
    EXPECT_EQ(figures.count, 5u);
    EXPECT_DOUBLE_EQ(figures.median_us, 30);
    EXPECT_DOUBLE_EQ(figures.p90_us, 1000);
}

}  // namespace
}  // namespace zizuvu::bench
