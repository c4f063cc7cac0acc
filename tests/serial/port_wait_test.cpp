// The procedures' wait for the radio or the operator, with the real terminal
// console on one pseudo-terminal as the keyboard and another as the port.
#include "serial/channel_wait.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "platform/linux/terminal_io.hpp"
#include "tests/support/eventually.hpp"
#include "tests/support/pty_pair.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using testing::PtyPair;
using testing::ScopedEnvironment;

// Long enough that only a wait that never ends can miss it; not a speed target.
constexpr auto STUCK = 10s;

class PortWait : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(radio.ok());
        ASSERT_TRUE(keyboard.ok());
        keyboard_fd = open(keyboard.port_path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(keyboard_fd, 0);
        std::string why_not;
        terminal = UnixTerminal::take_over(keyboard_fd, keyboard_fd, why_not);
        ASSERT_NE(terminal, nullptr) << why_not;
        console = std::make_unique<Console>(*terminal);
        // What the console draws goes to the keyboard's far end; read it away.
        drain = std::thread([this] {
            while (keyboard.receive(4096, 50ms).size() > 0 || !stop_draining) {
            }
        });
        open_channel(channels, "Com1", PORT_CHANNEL);
        ASSERT_EQ(error_number(errors), 0);
    }

    void TearDown() override {
        console.reset();
        terminal.reset();
        stop_draining = true;
        if (drain.joinable()) drain.join();
        if (keyboard_fd >= 0) close(keyboard_fd);
    }

    std::future<PortWaitEnd> wait_in_background(int min_bytes) {
        return std::async(std::launch::async,
                          [this, min_bytes] { return wait_for_port_or_key(*console, channels, PORT_CHANNEL, min_bytes); });
    }

    PtyPair radio;
    PtyPair keyboard;
    ScopedEnvironment port{"ZIZUVU_COM1", radio.port_path()};
    int keyboard_fd = -1;
    std::unique_ptr<UnixTerminal> terminal;
    std::unique_ptr<Console> console;
    std::atomic<bool> stop_draining{false};
    std::thread drain;
    ErrorState errors;
    ChannelTable channels{errors};
};

TEST_F(PortWait, AKeyEndsTheWaitOnASilentPort) {
    auto waiting = wait_in_background(4);
    EXPECT_EQ(waiting.wait_for(200ms), std::future_status::timeout);
    keyboard.send("k");
    ASSERT_EQ(waiting.wait_for(STUCK), std::future_status::ready);
    EXPECT_EQ(bytes_waiting(channels, PORT_CHANNEL), 0);
    ASSERT_TRUE(key_waiting(*console));
    EXPECT_EQ(poll_key(*console), character_key('k'));
    EXPECT_EQ(error_number(errors), 0);
}

TEST_F(PortWait, PartOfTheBytesKeepsWaitingAndTheLastOneEndsIt) {
    radio.send("ab");
    ASSERT_TRUE(testing::eventually([&] { return bytes_waiting(channels, PORT_CHANNEL) >= 2; }));
    auto waiting = wait_in_background(4);
    EXPECT_EQ(waiting.wait_for(300ms), std::future_status::timeout);
    radio.send("cd");
    ASSERT_EQ(waiting.wait_for(STUCK), std::future_status::ready);
    EXPECT_EQ(bytes_waiting(channels, PORT_CHANNEL), 4);
    EXPECT_FALSE(key_waiting(*console));
    EXPECT_EQ(read_channel(channels, PORT_CHANNEL, 4), "abcd");
}

TEST_F(PortWait, AnAnswerTricklingInWakesTheCallersLoopOncePerArrivalNeverSpinning) {
    // The loop every procedure runs around the wait: test, then wait again.
    auto answered = std::async(std::launch::async, [this] {
        int waits = 0;
        while (bytes_waiting(channels, PORT_CHANNEL) < 3 && !key_waiting(*console)) {
            wait_for_port_or_key(*console, channels, PORT_CHANNEL, 3);
            ++waits;
        }
        return waits;
    });
    EXPECT_EQ(answered.wait_for(200ms), std::future_status::timeout);
    radio.send("a");
    EXPECT_EQ(answered.wait_for(200ms), std::future_status::timeout);
    radio.send("bc");
    ASSERT_EQ(answered.wait_for(STUCK), std::future_status::ready);
    // One wake for the first byte, one for the rest: a loop that spun while part of
    // the answer sat there would count thousands.
    EXPECT_LE(answered.get(), 3);
    EXPECT_EQ(read_channel(channels, PORT_CHANNEL, 3), "abc");
}

// The download's loop: a first wait that does not look at the port, then looking
// ones. Part of the answer there before the first wait, or a device that went away
// meanwhile, must neither hold it past what came nor make the loop spin.
TEST_F(PortWait, AFirstWaitThatDoesNotLookStillNeverSpinsOnWhatCameMeanwhile) {
    const auto answer_loop = [this](int min_bytes) {
        return std::async(std::launch::async, [this, min_bytes] {
            int waits = 0;
            PortWaitEnd end = wait_for_fresh_answer(*console, channels, PORT_CHANNEL, min_bytes);
            while (end != PortWaitEnd::port_gone && bytes_waiting(channels, PORT_CHANNEL) < min_bytes &&
                   !key_waiting(*console) && ++waits < 1000) {
                end = wait_for_port_or_key(*console, channels, PORT_CHANNEL, min_bytes);
            }
            return waits;
        });
    };
    radio.send("a");
    ASSERT_TRUE(testing::eventually([&] { return bytes_waiting(channels, PORT_CHANNEL) >= 1; }));
    auto answered = answer_loop(3);
    EXPECT_EQ(answered.wait_for(200ms), std::future_status::timeout);
    radio.send("bc");
    ASSERT_EQ(answered.wait_for(STUCK), std::future_status::ready);
    EXPECT_LE(answered.get(), 2);
    EXPECT_EQ(read_channel(channels, PORT_CHANNEL, 3), "abc");

    auto lost = answer_loop(2);
    EXPECT_EQ(lost.wait_for(100ms), std::future_status::timeout);
    radio.hang_up();
    ASSERT_EQ(lost.wait_for(STUCK), std::future_status::ready);
    EXPECT_LE(lost.get(), 2);
    EXPECT_NE(error_number(errors), 0);
}

TEST_F(PortWait, ReadsAfterAWaitForManyStillReturnWhatCame) {
    radio.send("xyz");
    ASSERT_TRUE(testing::eventually([&] { return bytes_waiting(channels, PORT_CHANNEL) >= 3; }));
    auto waiting = wait_in_background(200);
    EXPECT_EQ(waiting.wait_for(200ms), std::future_status::timeout);
    keyboard.send("q");
    ASSERT_EQ(waiting.wait_for(STUCK), std::future_status::ready);
    // The port now wakes readers only at 200 bytes; a read of what is waiting must not care.
    ASSERT_EQ(bytes_waiting(channels, PORT_CHANNEL), 3);
    EXPECT_EQ(read_channel(channels, PORT_CHANNEL, 3), "xyz");
    radio.send("1");
    auto one = wait_in_background(1);
    ASSERT_EQ(one.wait_for(STUCK), std::future_status::ready);
    EXPECT_EQ(read_channel(channels, PORT_CHANNEL, 1), "1");
}

TEST_F(PortWait, AfterTheWaitAnyoneWatchingThePortWakesForASingleByteAgain) {
    auto waiting = wait_in_background(4);
    EXPECT_EQ(waiting.wait_for(100ms), std::future_status::timeout);
    keyboard.send("k");
    ASSERT_EQ(waiting.wait_for(STUCK), std::future_status::ready);
    radio.send("x");
    pollfd watched{static_cast<int>(channel_handle(channels, PORT_CHANNEL)), POLLIN, 0};
    EXPECT_EQ(poll(&watched, 1, static_cast<int>(std::chrono::milliseconds(STUCK).count())), 1);
}

TEST_F(PortWait, BytesAlreadyThereOrAKeyAlreadyQueuedReturnAtOnce) {
    radio.send("12345");
    ASSERT_TRUE(testing::eventually([&] { return bytes_waiting(channels, PORT_CHANNEL) >= 5; }));
    wait_for_port_or_key(*console, channels, PORT_CHANNEL, 5);
    read_channel(channels, PORT_CHANNEL, 5);

    console->keys.push(character_key('y'));
    wait_for_port_or_key(*console, channels, PORT_CHANNEL, 1);
    EXPECT_EQ(poll_key(*console), character_key('y'));
}

TEST_F(PortWait, AHungUpPortEndsTheWaitAndBytesWaitingSaysWhy) {
    auto waiting = wait_in_background(1);
    EXPECT_EQ(waiting.wait_for(100ms), std::future_status::timeout);
    radio.hang_up();
    ASSERT_EQ(waiting.wait_for(STUCK), std::future_status::ready);
    EXPECT_EQ(bytes_waiting(channels, PORT_CHANNEL), 0);
    EXPECT_NE(error_number(errors), 0);
    clear_error(errors);
    // A gone port can never bring bytes again: every later wait says so at once,
    // records nothing, and leaves the caller to wait for the operator's key alone.
    auto later = wait_in_background(1);
    ASSERT_EQ(later.wait_for(STUCK), std::future_status::ready);
    EXPECT_EQ(later.get(), PortWaitEnd::port_gone);
    EXPECT_EQ(error_number(errors), 0);
}

TEST_F(PortWait, WithoutAnOpenChannelOnlyAKeyEndsIt) {
    close_channel(channels, PORT_CHANNEL);
    radio.send("ignored");
    auto waiting = wait_in_background(1);
    EXPECT_EQ(waiting.wait_for(200ms), std::future_status::timeout);
    keyboard.send("k");
    ASSERT_EQ(waiting.wait_for(STUCK), std::future_status::ready);
    EXPECT_EQ(error_number(errors), 0);
}

// The wait of a terminal whose device has gone: the keyboard alone, with a limit so
// that the caller can try the port again now and then.
TEST_F(PortWait, AWaitWithATimeLimitEndsOnAKeyOrOnceTheTimeIsUp) {
    auto waiting = std::async(std::launch::async, [this] { wait_for_input_or_time(*console, 60s); });
    EXPECT_EQ(waiting.wait_for(200ms), std::future_status::timeout);
    radio.send("not watched");
    EXPECT_EQ(waiting.wait_for(200ms), std::future_status::timeout) << "the port is not part of this wait";
    keyboard.send("k");
    ASSERT_EQ(waiting.wait_for(STUCK), std::future_status::ready);
    EXPECT_EQ(poll_key(*console), character_key('k'));

    auto timed = std::async(std::launch::async, [this] { wait_for_input_or_time(*console, 50ms); });
    ASSERT_EQ(timed.wait_for(STUCK), std::future_status::ready);
    EXPECT_FALSE(key_waiting(*console));
}

}  // namespace
}  // namespace zizuvu
