// Line errors from a driver's running counters: only what happened since the last
// look counts, and each kind of error keeps its own mask bit.
#include "platform/linux/line_counters.hpp"

#include <gtest/gtest.h>

#include "platform/port_io.hpp"

namespace zizuvu {
namespace {

TEST(LineCounters, OnlyChangesSinceTheLastLookAreErrors) {
    LineCounters before;
    before.overrun = 3;
    before.frame = 7;
    before.parity = 1;
    EXPECT_EQ(line_errors_between(before, before), 0U);

    LineCounters now = before;
    now.overrun = 4;
    EXPECT_EQ(line_errors_between(before, now), CE_OVERRUN);
    now.frame = 8;
    now.buf_overrun = 1;
    EXPECT_EQ(line_errors_between(before, now), CE_OVERRUN | CE_FRAME | CE_RXOVER);
    now = before;
    now.parity = 2;
    now.brk = 1;
    EXPECT_EQ(line_errors_between(before, now), CE_RXPARITY | CE_BREAK);
}

TEST(LineCounters, ACounterThatWrappedAroundStillCounts) {
    LineCounters before;
    before.overrun = 0xFFFFFFFFU;
    LineCounters now;
    now.overrun = 0;
    EXPECT_EQ(line_errors_between(before, now), CE_OVERRUN);
}

}  // namespace
}  // namespace zizuvu
