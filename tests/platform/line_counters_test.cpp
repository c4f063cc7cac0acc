// Line errors from a driver's running counters: only what happened since the last
// look counts, each kind of error as its own, a wrapped counter too.
#include "platform/linux/line_counters.hpp"

#include <gtest/gtest.h>

namespace zizuvu {
namespace {

TEST(LineCounters, OnlyChangesSinceTheLastLookAreErrors) {
    LineCounters before;
    before.overrun = 0xFFFFFFFFU;
    before.frame = 7;
    before.parity = 1;
    EXPECT_FALSE(line_errors_between(before, before).lost_bytes());

    LineCounters now = before;
    now.overrun = 0;  // wrapped around
    now.buf_overrun = 1;
    LineErrors errors = line_errors_between(before, now);
    EXPECT_TRUE(errors.overrun && errors.receive_overflow && errors.lost_bytes());
    EXPECT_FALSE(errors.framing || errors.parity || errors.line_break);

    now = before;
    now.parity = 2;
    now.brk = 1;
    errors = line_errors_between(before, now);
    EXPECT_TRUE(errors.parity && errors.line_break);
    EXPECT_FALSE(errors.lost_bytes()) << "parity errors and breaks lose no bytes";
}

}  // namespace
}  // namespace zizuvu
