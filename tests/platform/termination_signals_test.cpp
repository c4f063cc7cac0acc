// Signals reach the program through flags and a byte on a pipe its waits watch: one
// that comes between two looks wakes the next wait and is reported by the next look,
// once.
#include "platform/linux/termination_signals.hpp"

#include <gtest/gtest.h>
#include <poll.h>

#include <csignal>

namespace zizuvu {
namespace {

bool pipe_readable() {
    pollfd watched{signal_pipe_fd(), POLLIN, 0};
    return poll(&watched, 1, 0) == 1;
}

TEST(TerminationSignals, ASignalBetweenTwoLooksWakesTheNextWaitAndIsReportedOnce) {
    ASSERT_TRUE(install_signal_handlers());
    take_signals();
    for (const int signal_number : {SIGWINCH, SIGTSTP}) {
        SCOPED_TRACE(signal_number);
        ASSERT_FALSE(pipe_readable());
        ASSERT_EQ(std::raise(signal_number), 0);
        EXPECT_TRUE(pipe_readable()) << "a wait would sleep through it";
        const ArrivedSignals arrived = take_signals();
        EXPECT_EQ(arrived.resize, signal_number == SIGWINCH);
        EXPECT_EQ(arrived.suspend, signal_number == SIGTSTP);
        EXPECT_FALSE(arrived.terminate);
        const ArrivedSignals again = take_signals();
        EXPECT_FALSE(again.resize || again.suspend);
    }
    remove_signal_handlers();
}

}  // namespace
}  // namespace zizuvu
