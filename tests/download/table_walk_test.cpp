// The walk every download makes, on small tables built for each edge.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download/table_walk.hpp"
#include "download/image_table.hpp"

namespace zizuvu {
namespace {

struct TestRecord {
    int count;
    std::uint16_t address;
};

// A table whose data bytes say where they belong: low byte of (record index * 16 + position).
std::vector<std::uint8_t> table_of(const std::vector<TestRecord>& records) {
    std::vector<std::uint8_t> table;
    for (std::size_t r = 0; r < records.size(); ++r) {
        std::vector<std::uint8_t> data;
        for (int i = 0; i < 16; ++i) data.push_back(static_cast<std::uint8_t>(r * 16 + static_cast<std::size_t>(i)));
        store_record(table, static_cast<std::uint8_t>(records[r].count), records[r].address, 0, data);
    }
    return table;
}

struct Sent {
    std::uint16_t address;
    std::uint8_t data;
    bool operator==(const Sent&) const = default;
};

// What a download's loop sees, written as it would be written in a download.
struct WalkSeen {
    std::vector<int> counted;        // record indexes counted for progress
    std::vector<int> sent_records;   // record indexes sent
    std::vector<Sent> bytes;
    bool ended_complete = false;     // by the end rule
    bool ended_at_table_end = false;
    std::uint16_t counter_after_last_record = 0;
};

WalkSeen walk_table(const std::vector<TestRecord>& records) {
    const std::vector<std::uint8_t> table = table_of(records);
    RecordBuffer record;
    TableWalk walk;
    WalkSeen seen;
    start_walk(walk, FirmwareTable{table.data(), static_cast<int>(records.size())}, record);
    for (RecordStep step; (step = next_record(walk)) != RecordStep::end_of_table;) {
        seen.counted.push_back(walk.record_index);
        EXPECT_EQ(walk.data_position, 4);
        if (step == RecordStep::skipped) continue;
        seen.sent_records.push_back(walk.record_index);
        for (; walk.bytes_left > 0; advance(walk)) seen.bytes.push_back({walk.address_counter, data_byte(walk)});
        seen.counter_after_last_record = walk.address_counter;
        if (walk_complete(walk)) {
            seen.ended_complete = true;
            return seen;
        }
    }
    seen.ended_at_table_end = true;
    return seen;
}

TEST(TableWalk, RecordsBelowLowestAddressAreCountedNotSent) {
    const WalkSeen seen = walk_table({{4, 0x0FFF}, {4, 0x1000}, {1, 0xFFFF}});
    EXPECT_EQ(seen.counted, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(seen.sent_records, (std::vector<int>{1, 2}));
    ASSERT_EQ(seen.bytes.size(), 5U);
    EXPECT_EQ(seen.bytes[0], (Sent{0x1000, 16}));
    EXPECT_EQ(seen.bytes[3], (Sent{0x1003, 19}));
    EXPECT_TRUE(seen.ended_complete);
}

TEST(TableWalk, OnlyARecordStartingExactlyAtTheSkippedAddressIsSkipped) {
    const WalkSeen seen = walk_table({{1, 0xFFCF}, {2, 0xFFD0}, {1, 0xFFD1}, {16, 0xFFC8}, {16, 0xFFF0}});
    EXPECT_EQ(seen.counted, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(seen.sent_records, (std::vector<int>{0, 2, 3, 4}));
    // The record from 0xFFC8 runs across 0xFFD0 and is sent: only the start is tested.
    EXPECT_EQ(seen.bytes[2], (Sent{0xFFC8, 48}));
    EXPECT_EQ(seen.bytes[2 + 8], (Sent{0xFFD0, 56}));
}

TEST(TableWalk, SixteenBytesAt0xFFF0EndTheWalk) {
    const WalkSeen seen = walk_table({{16, 0xFFF0}, {16, 0x2000}});
    EXPECT_TRUE(seen.ended_complete);
    EXPECT_EQ(seen.sent_records, (std::vector<int>{0}));
    EXPECT_EQ(seen.bytes.back(), (Sent{0xFFFF, 15}));
    EXPECT_EQ(seen.counter_after_last_record, 0x0000);
}

TEST(TableWalk, OneByteAt0xFFFFEndsTheWalk) {
    const WalkSeen seen = walk_table({{1, 0xFFFF}, {16, 0x2000}});
    EXPECT_TRUE(seen.ended_complete);
    EXPECT_EQ(seen.bytes, (std::vector<Sent>{{0xFFFF, 0}}));
}

TEST(TableWalk, ARecordAcross0xFFFFWrapsAndDoesNotEndTheWalk) {
    const WalkSeen seen = walk_table({{16, 0xFFF8}, {1, 0xFFFF}});
    ASSERT_EQ(seen.bytes.size(), 17U);
    EXPECT_EQ(seen.bytes[7], (Sent{0xFFFF, 7}));
    EXPECT_EQ(seen.bytes[8], (Sent{0x0000, 8}));
    EXPECT_EQ(seen.bytes[15], (Sent{0x0007, 15}));
    EXPECT_EQ(seen.sent_records, (std::vector<int>{0, 1}));
    EXPECT_TRUE(seen.ended_complete);
    const WalkSeen only_wrap = walk_table({{16, 0xFFF8}});
    EXPECT_EQ(only_wrap.counter_after_last_record, 0x0008);
    EXPECT_FALSE(only_wrap.ended_complete);
}

TEST(TableWalk, EmptyRecordsAreNeitherCountedNorSentNorTested) {
    // An empty record "at" 0xFFFF must not end the walk; one at 0x0000 is not a skip.
    const WalkSeen seen = walk_table({{0, 0x0000}, {2, 0x1000}, {0, 0xFFFF}, {0, 0xFFD0}, {1, 0xFFFF}});
    EXPECT_EQ(seen.counted, (std::vector<int>{1, 4}));
    EXPECT_EQ(seen.sent_records, (std::vector<int>{1, 4}));
    EXPECT_TRUE(seen.ended_complete);
}

TEST(TableWalk, TableWithoutTheEndRuleEndsAtItsLastRecordAsComplete) {
    // Mended: the walk never fetches past the table (the sanitizer build would see it).
    const WalkSeen seen = walk_table({{4, 0x1000}, {4, 0x2000}, {0, 0x3000}});
    EXPECT_TRUE(seen.ended_at_table_end);
    EXPECT_EQ(seen.sent_records, (std::vector<int>{0, 1}));
    EXPECT_TRUE(walk_table({}).ended_at_table_end);
    EXPECT_TRUE(walk_table({{0, 0x1000}}).counted.empty());

    std::vector<std::uint8_t> table = table_of({{4, 0x1000}});
    RecordBuffer record;
    TableWalk walk;
    start_walk(walk, FirmwareTable{table.data(), 1}, record);
    ASSERT_EQ(next_record(walk), RecordStep::sent);
    while (walk.bytes_left > 0) advance(walk);
    EXPECT_EQ(next_record(walk), RecordStep::end_of_table);
    EXPECT_EQ(next_record(walk), RecordStep::end_of_table);  // and stays there
    EXPECT_EQ(walk.record_index, 0);
}

TEST(TableWalk, AByteCountAbove16NeverReachesPastTheRecord) {
    // Mended: the build refuses such an image; the walk still never sends bytes from beyond the record.
    const WalkSeen seen = walk_table({{200, 0x1000}, {1, 0xFFFF}});
    EXPECT_EQ(seen.bytes.size(), 17U);
    EXPECT_EQ(seen.bytes[15], (Sent{0x100F, 15}));
}

TEST(TableWalk, StartAgainBeginsAtRecordZeroWithTheCallersBuffer) {
    const std::vector<std::uint8_t> table = table_of({{3, 0x4000}, {1, 0xFFFF}});
    RecordBuffer record;
    TableWalk walk;
    start_walk(walk, FirmwareTable{table.data(), 2}, record);
    ASSERT_EQ(next_record(walk), RecordStep::sent);
    advance(walk);
    start_walk(walk, FirmwareTable{table.data(), 2}, record);
    EXPECT_EQ(walk.record_index, -1);
    ASSERT_EQ(next_record(walk), RecordStep::sent);
    EXPECT_EQ(walk.record_index, 0);
    EXPECT_EQ(walk.bytes_left, 3);
    EXPECT_EQ(record.load_address(), 0x4000);  // the walk reads the buffer it was given
    EXPECT_FALSE(walk_complete(walk));
}

}  // namespace
}  // namespace zizuvu
