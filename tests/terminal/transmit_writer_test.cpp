// The transmit queue and its writer thread on a pseudo-terminal line: keys queued
// while the writer drains them, across the end of the ring, and the stop. Built and
// run under ThreadSanitizer as well (the tsan preset).
#include "terminal/transmit_writer.hpp"

#include <gtest/gtest.h>

#include <thread>

#include "platform/port_io.hpp"
#include "tests/support/eventually.hpp"
#include "tests/support/pty_pair.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;

struct WriterLine : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(line.ok());
        port = open_port(line.port_path());
        ASSERT_NE(port, NO_OS_HANDLE);
    }
    void TearDown() override {
        // A test that failed half-way still never closes the port under the writer.
        stop_transmit_writer(writer);
        if (port != NO_OS_HANDLE) {
            EXPECT_TRUE(close_port(port));
        }
    }

    testing::PtyPair line;
    OsHandle port = NO_OS_HANDLE;
    std::array<std::uint8_t, TRANSMIT_QUEUE_SIZE> storage{};
    TransmitQueue queue{storage};
    TransmitWriter writer;
};

TEST(TransmitQueueRing, AWriteNeverRunsPastTheEndOfTheStorage) {
    std::array<std::uint8_t, TRANSMIT_QUEUE_SIZE> storage{};
    TransmitQueue queue{storage};
    for (int i = 0; i < 1020; ++i) ASSERT_TRUE(queue_key(queue, character_key('a')));
    mark_sent(queue, 1020);
    ASSERT_TRUE(queue_key(queue, extended_key(SCAN_F2)));
    for (std::uint8_t c = 1; c <= 8; ++c) ASSERT_TRUE(queue_key(queue, character_key(c)));
    PendingBytes pending = next_to_send(queue);
    ASSERT_EQ(pending.length, 4U);
    EXPECT_EQ(std::string(pending.first, pending.first + 4), std::string("\0\x3c\x01\x02", 4));
    mark_sent(queue, 4);
    pending = next_to_send(queue);
    ASSERT_EQ(pending.length, 6U);
    EXPECT_EQ(pending.first, storage.data());
    EXPECT_EQ(std::string(pending.first, pending.first + 6), "\x03\x04\x05\x06\x07\x08");
}

TEST_F(WriterLine, KeysQueuedWhileTheWriterDrainsArriveCompleteAndInOrder) {
    start_transmit_writer(writer, queue, port);
    std::string typed;
    std::string received;
    std::thread reader([&] { received = line.receive(40000, 20s); });
    for (int i = 0; typed.size() < 40000; ++i) {
        // Keys of one and of two bytes, as ordinary and extended keys come.
        const auto byte = static_cast<std::uint8_t>(i);
        const KeyText key = i % 3 == 0 ? extended_key(byte) : character_key(byte);
        if (typed.size() + key.length > 40000) break;
        while (!queue_key(queue, key)) std::this_thread::yield();
        typed.append(key.text());
    }
    reader.join();
    stop_transmit_writer(writer);
    EXPECT_EQ(received.size(), typed.size());
    EXPECT_TRUE(received == typed);
}

TEST_F(WriterLine, AFullQueueRefusesWholeKeysAndTheStopDropsWhatIsLeft) {
    line.hold_port_output();
    start_transmit_writer(writer, queue, port);
    for (std::size_t i = 0; i < TRANSMIT_QUEUE_SIZE - 1; ++i) ASSERT_TRUE(queue_key(queue, character_key('x')));
    EXPECT_FALSE(queue_key(queue, extended_key(SCAN_UP)));  // one byte free: the key goes whole or not at all
    EXPECT_TRUE(queue_key(queue, character_key('y')));
    EXPECT_FALSE(queue_key(queue, character_key('z')));
    line.release_port_output();
    EXPECT_EQ(line.receive(TRANSMIT_QUEUE_SIZE, 10s), std::string(TRANSMIT_QUEUE_SIZE - 1, 'x') + "y");
    // The far end can read the writer's bytes before the writer has counted them sent.
    ASSERT_TRUE(testing::eventually([&] { return queue.count.load() == 0; }, 10s));

    line.hold_port_output();
    ASSERT_TRUE(queue_key(queue, character_key('d')));
    stop_transmit_writer(writer);  // ends while its write waits on the held line
    EXPECT_FALSE(queue_key(queue, character_key('e')));  // a stop is never undone
    EXPECT_LT(queue.count.load(), 0);
    line.release_port_output();
    EXPECT_EQ(line.receive(1, 300ms), "");
}

TEST(TransmitWriterWithoutPort, KeysStayQueuedAndTheStopStillEndsIt) {
    std::array<std::uint8_t, TRANSMIT_QUEUE_SIZE> storage{};
    TransmitQueue queue{storage};
    TransmitWriter writer;
    start_transmit_writer(writer, queue, NO_OS_HANDLE);
    ASSERT_TRUE(queue_key(queue, character_key('k')));
    std::this_thread::sleep_for(5ms);  // a few of its retries
    EXPECT_EQ(queue.count.load(), 1);
    stop_transmit_writer(writer);
    EXPECT_FALSE(writer.thread.joinable());
}

}  // namespace
}  // namespace zizuvu
