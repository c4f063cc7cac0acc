// Raising and restoring the priority around the byte exchange.
#include "platform/process_priority.hpp"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>

namespace zizuvu {
namespace {

int policy() { return sched_getscheduler(0) & ~SCHED_RESET_ON_FORK; }

TEST(ProcessPriority, RaisedIsRealTimeOrHigherNicenessAndNormalPutsBackWhatWasThere) {
    ASSERT_EQ(policy(), SCHED_OTHER);
    setpriority(PRIO_PROCESS, 0, 5);
    const int nice_before = getpriority(PRIO_PROCESS, 0);

    set_process_priority(PriorityClass::raised);
    const bool real_time = policy() == SCHED_FIFO;
    const bool nicer = getpriority(PRIO_PROCESS, 0) < nice_before;
    if (!real_time && !nicer) {
        set_process_priority(PriorityClass::normal);
        GTEST_SKIP() << "this user may neither use real time nor lower the niceness";
    }
    EXPECT_TRUE(real_time || nicer);
    // Raising twice keeps the first saved state.
    set_process_priority(PriorityClass::raised);

    set_process_priority(PriorityClass::normal);
    EXPECT_EQ(policy(), SCHED_OTHER);
    EXPECT_EQ(getpriority(PRIO_PROCESS, 0), nice_before);
    set_process_priority(PriorityClass::normal);
    EXPECT_EQ(getpriority(PRIO_PROCESS, 0), nice_before);
}

}  // namespace
}  // namespace zizuvu
