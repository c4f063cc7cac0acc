// The bundled sample image has every property the downloads rely on, is what its
// generator makes, and is what the build compiled in.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "download/firmware_image.hpp"
#include "download/table_walk.hpp"
#include "tests/support/run_command.hpp"
#include "download/image_table.hpp"
#include "download/intel_hex.hpp"

namespace zizuvu {
namespace {

using testing::read_file;

std::vector<ImageRecord> records_of(const std::string& path) {
    const ImageReading reading = read_image_records(read_file(path));
    EXPECT_FALSE(reading.fault) << path << ":" << reading.fault->line << ": " << reading.fault->reason;
    return reading.records;
}

int end_of(const ImageRecord& r) { return r.load_address + static_cast<int>(r.data.size()) - 1; }

TEST(SampleImage, HasEveryPropertyOfTheTable) {
    const std::vector<ImageRecord> records = records_of(ZIZUVU_SAMPLE_IMAGE);
    ASSERT_EQ(records.size(), 3016U);
    EXPECT_FALSE(check_table_walk(records));
    int full = 0;
    int below_lowest = 0;
    int at_skipped = 0;
    for (const ImageRecord& r : records) {
        EXPECT_GE(r.data.size(), 1U);
        EXPECT_LE(r.data.size(), 16U);
        full += r.data.size() == 16 ? 1 : 0;
        below_lowest += r.load_address < LOWEST_ADDRESS ? 1 : 0;
        at_skipped += r.load_address == SKIPPED_ADDRESS ? 1 : 0;
    }
    EXPECT_GT(full, 2900);  // most records carry 16 bytes
    EXPECT_GE(below_lowest, 2);
    EXPECT_EQ(at_skipped, 1);
    EXPECT_EQ(end_of(records.back()), 0xFFFF);
    for (std::size_t i = 0; i + 1 < records.size(); ++i) {
        const bool sent = records[i].load_address >= LOWEST_ADDRESS && records[i].load_address != SKIPPED_ADDRESS;
        EXPECT_FALSE(sent && end_of(records[i]) == 0xFFFF) << "record " << i;
    }
    // A realistic spread: segments with gaps between them, and not all in address order.
    int gaps = 0;
    int backwards = 0;
    for (std::size_t i = 1; i < records.size(); ++i) {
        const int follows = end_of(records[i - 1]) + 1;
        gaps += records[i].load_address > follows ? 1 : 0;
        backwards += records[i].load_address < follows ? 1 : 0;
    }
    EXPECT_GE(gaps, 10);
    EXPECT_GE(backwards, 1);
}

TEST(SampleImage, IsWhatItsGeneratorMakes) {
    testing::TempDir dir;
    const auto result = testing::run_command({ZIZUVU_MAKE_SAMPLE_IMAGE, dir.file("radio.hex")});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    EXPECT_TRUE(read_file(dir.file("radio.hex")) == read_file(ZIZUVU_SAMPLE_IMAGE))
        << "firmware/radio.hex differs from what tools/make-sample-image makes";
}

TEST(CompiledImage, IsTheImageTheBuildWasGiven) {
    const std::vector<ImageRecord> records = records_of(ZIZUVU_COMPILED_IMAGE);
    const FirmwareTable table = firmware_image();
    ASSERT_EQ(table.record_count, static_cast<int>(records.size()));
    RecordBuffer record;
    for (int i = 0; i < table.record_count; ++i) {
        const ImageRecord& r = records[static_cast<std::size_t>(i)];
        fetch_record(table, i, record);
        ASSERT_EQ(record.byte_count(), static_cast<int>(r.data.size())) << "record " << i;
        ASSERT_EQ(record.load_address(), r.load_address) << "record " << i;
        ASSERT_EQ(record.bytes[3], record_checksum(r.load_address, r.data.data(), record.byte_count()));
        ASSERT_TRUE(std::equal(r.data.begin(), r.data.end(), record.bytes.begin() + 4)) << "record " << i;
    }
}

TEST(CompiledImage, WalkEndsByTheEndRuleAtTheLastRecord) {
    RecordBuffer record;
    TableWalk walk;
    start_walk(walk, firmware_image(), record);
    int counted = 0;
    long sent_bytes = 0;
    bool complete = false;
    for (RecordStep step; (step = next_record(walk)) != RecordStep::end_of_table;) {
        ++counted;
        if (step == RecordStep::skipped) continue;
        for (; walk.bytes_left > 0; advance(walk)) ++sent_bytes;
        if ((complete = walk_complete(walk))) break;
    }
    EXPECT_TRUE(complete);
    EXPECT_EQ(walk.record_index, firmware_image().record_count - 1);
    std::printf("compiled image: %d records counted, %ld bytes sent\n", counted, sent_bytes);
}

}  // namespace
}  // namespace zizuvu
