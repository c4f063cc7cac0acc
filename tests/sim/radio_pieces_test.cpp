// The simulated radio's smaller parts: fault options, wire-time pacing, the memory dump.
#include <gtest/gtest.h>

#include "sim/faults.hpp"
#include "sim/pacing.hpp"
#include "sim/radio_memory.hpp"
#include "download/intel_hex.hpp"

namespace zizuvu {
namespace {

TEST(RadioFaultOptions, ReadAsWritten) {
    std::string why;
    auto stall = sim::parse_fault("stall@12:500", why);
    ASSERT_TRUE(stall);
    EXPECT_EQ(stall->kind, sim::FaultKind::stall);
    EXPECT_EQ(stall->data_byte, 12);
    EXPECT_EQ(stall->value, 500);
    EXPECT_EQ(sim::parse_fault("stall@3", why)->value, 2000);
    EXPECT_EQ(sim::parse_fault("noise@0", why)->value, 1);
    EXPECT_EQ(sim::parse_fault("erase-reply=0x55", why)->value, 0x55);
    EXPECT_EQ(sim::parse_fault("identification-lead=254", why)->value, 254);
    EXPECT_TRUE(sim::parse_fault("silent-identification", why));
}

TEST(RadioFaultOptions, RefusedWithAReason) {
    std::string why;
    for (const char* bad : {"no-such-fault@1", "wrong-address-echo", "wrong-address-echo@x", "wrong-address-echo@1:5",
                            "erase-reply", "erase-reply=0x100", "silent-identification@3", "stall@-1"}) {
        why.clear();
        EXPECT_FALSE(sim::parse_fault(bad, why)) << bad;
        EXPECT_FALSE(why.empty()) << bad;
    }
}

TEST(RadioFaultOptions, TakenOnceAtTheirByte) {
    std::string why;
    sim::FaultPlan plan;
    plan.faults.push_back(*sim::parse_fault("wrong-acknowledgement@5", why));
    EXPECT_FALSE(sim::take_fault(plan, sim::FaultKind::wrong_acknowledgement, 4));
    EXPECT_FALSE(sim::take_fault(plan, sim::FaultKind::no_acknowledgement, 5));
    EXPECT_TRUE(sim::take_fault(plan, sim::FaultKind::wrong_acknowledgement, 5));
    EXPECT_FALSE(sim::take_fault(plan, sim::FaultKind::wrong_acknowledgement, 5));
}

TEST(RadioPacing, AnswersWaitForTheirQuestionAndTakeTheirWireTime) {
    sim::Pacer pacer;
    pacer.enabled = true;
    const std::int64_t bit10 = sim::byte_time_ns(115200);
    EXPECT_EQ(bit10, 86805);
    // Three bytes read at once at t=0: they finish arriving at 3 byte times.
    for (int i = 0; i < 3; ++i) sim::pace_received(pacer, 0, 115200);
    sim::queue_answer(pacer, "ab", 0, 115200);
    ASSERT_EQ(pacer.queue.size(), 2U);
    EXPECT_EQ(pacer.queue[0].due_ns, 5 * bit10);  // the answer goes out whole, once through
    EXPECT_EQ(pacer.queue[1].due_ns, 5 * bit10);
    std::deque<sim::QueuedByte> out;
    sim::take_due(pacer, 5 * bit10 - 1, out);
    EXPECT_TRUE(out.empty());
    sim::take_due(pacer, 5 * bit10, out);
    EXPECT_EQ(out.size(), 2U);
    EXPECT_EQ(sim::next_due(pacer), sim::NO_DEADLINE);
    // A byte read later than the line was free starts from its reading.
    sim::pace_received(pacer, 10 * bit10, 38400);
    sim::queue_answer(pacer, "c", 10 * bit10, 38400);
    EXPECT_EQ(pacer.queue.back().due_ns, 10 * bit10 + 2 * sim::byte_time_ns(38400));
}

TEST(RadioPacing, LongAnswersTrickleOutInGroups) {
    sim::Pacer pacer;
    pacer.enabled = true;
    const std::int64_t bit10 = sim::byte_time_ns(9600);
    sim::queue_answer(pacer, std::string(40, 'x'), 0, 9600);
    EXPECT_EQ(pacer.queue[0].due_ns, 16 * bit10);
    EXPECT_EQ(pacer.queue[16].due_ns, 32 * bit10);
    EXPECT_EQ(pacer.queue[39].due_ns, 40 * bit10);
    // The next answer queues behind it.
    sim::queue_answer(pacer, "y", 0, 9600);
    EXPECT_EQ(pacer.queue.back().due_ns, 41 * bit10);
}

TEST(RadioPacing, OffMeansAtOnce) {
    sim::Pacer pacer;
    sim::pace_received(pacer, 100, 9600);
    sim::queue_answer(pacer, "xyz", 100, 9600);
    EXPECT_EQ(sim::next_due(pacer), 100);
    EXPECT_EQ(pacer.queue.back().due_ns, 100);
}

TEST(RadioMemoryDump, ProgrammedBytesOnlyAsIntelHex) {
    sim::RadioMemory memory;
    for (int a = 0x100E; a < 0x1013; ++a) sim::program_byte(memory, static_cast<std::uint16_t>(a), static_cast<std::uint8_t>(a));
    sim::program_byte(memory, 0xFFFF, 0x7E);
    sim::program_byte(memory, 0xFFFF, 0x7E);
    EXPECT_EQ(sim::programmed_count(memory), 6);
    EXPECT_EQ(memory.writes, 7);
    const std::string hex = sim::memory_as_intel_hex(memory);
    EXPECT_EQ(hex, ":02100E000E0FC3\n:03101000101112AA\n:01FFFF007E83\n:00000001FF\n");
    const ImageReading back = read_image_records(hex);
    ASSERT_FALSE(back.fault);
    EXPECT_EQ(back.records.size(), 3U);
    sim::erase_memory(memory);
    EXPECT_EQ(sim::memory_as_intel_hex(memory), ":00000001FF\n");
    EXPECT_EQ(memory.bytes[0x1010], 0xFF);
}

}  // namespace
}  // namespace zizuvu
