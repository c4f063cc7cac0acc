// Raising and restoring the priority around the byte exchange.
#include "platform/process_priority.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>

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

int open_wake_latency_requests() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error) == "/dev/cpu_dma_latency") ++count;
    }
    return count;
}

// The kernel's current limit on how slow a processor may be to wake, in microseconds.
std::int32_t wake_latency_limit() {
    const int file = open("/dev/cpu_dma_latency", O_RDONLY | O_CLOEXEC);
    std::int32_t limit = -1;
    if (file >= 0 && read(file, &limit, sizeof limit) != static_cast<ssize_t>(sizeof limit)) limit = -1;
    if (file >= 0) close(file);
    return limit;
}

TEST(ProcessPriority, ProcessorsKeptAwakeAcrossPriorityChangesUntilLetGoAndOnlyOnce) {
    if (access("/dev/cpu_dma_latency", W_OK) != 0) GTEST_SKIP() << "only root may keep the processors awake";
    keep_processors_awake(true);
    keep_processors_awake(true);
    set_process_priority(PriorityClass::raised);
    set_process_priority(PriorityClass::normal);
    EXPECT_EQ(open_wake_latency_requests(), 1);
    EXPECT_EQ(wake_latency_limit(), 0);
    keep_processors_awake(false);
    // Other processes may hold their own request, so what shows that ours is gone is
    // that nothing here holds the file open any more.
    EXPECT_EQ(open_wake_latency_requests(), 0);
}

}  // namespace
}  // namespace zizuvu
