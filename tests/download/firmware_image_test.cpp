// The stored form of the firmware image table and fetch_record, which undoes it.
#include <gtest/gtest.h>

#include <vector>

#include "download/firmware_image.hpp"
#include "download/image_table.hpp"
#include "download/intel_hex.hpp"

namespace zizuvu {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes fetched(const Bytes& table, int index, RecordBuffer record = {}) {
    fetch_record(FirmwareTable{table.data(), static_cast<int>(table.size() / IMAGE_RECORD_SIZE)}, index, record);
    return Bytes(record.bytes.begin(), record.bytes.end());
}

TEST(FirmwareImage, WorkedExampleStoredAndFetched) {
    const Bytes data{0x01, 0x02, 0x03};
    EXPECT_EQ(record_checksum(0x1234, data.data(), 3), 0xB1);
    Bytes table;
    store_record(table, 3, 0x1234, 0xB1, data);
    Bytes stored{0xB1, 0x34, 0x12, 0x03, 0x00, 0x03, 0x02, 0x01};
    stored.resize(IMAGE_RECORD_SIZE, 0x00);
    EXPECT_EQ(table, stored);

    Bytes expected{0x03, 0x12, 0x34, 0xB1, 0x01, 0x02, 0x03};
    expected.resize(21, 0x00);  // thirteen zero bytes, and position 20 as created
    EXPECT_EQ(fetched(table, 0), expected);
}

TEST(FirmwareImage, EveryWordIsReadBackwards) {
    Bytes table(2 * IMAGE_RECORD_SIZE);
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint8_t>(i + 1);
    const Bytes second = fetched(table, 1);
    for (int word = 0; word < 5; ++word) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(second[static_cast<std::size_t>(4 * word + i)], table[static_cast<std::size_t>(20 + 4 * word + 3 - i)])
                << "buffer byte " << 4 * word + i;
        }
    }
}

TEST(FirmwareImage, EachFetchOverwritesTheRecordButNotPosition20) {
    Bytes table;
    store_record(table, 16, 0x2000, 0x00, Bytes(16, 0xEE));
    store_record(table, 1, 0x3000, 0x00, Bytes{0x42});
    RecordBuffer record;
    record.bytes[20] = 0x77;
    const FirmwareTable t{table.data(), 2};
    fetch_record(t, 0, record);
    EXPECT_EQ(record.byte_count(), 16);
    fetch_record(t, 1, record);
    EXPECT_EQ(record.byte_count(), 1);
    EXPECT_EQ(record.load_address(), 0x3000);
    EXPECT_EQ(record.bytes[4], 0x42);
    for (std::size_t i = 5; i < 20; ++i) EXPECT_EQ(record.bytes[i], 0x00) << "spare byte " << i << " left from before";
    EXPECT_EQ(record.bytes[20], 0x77);
}

}  // namespace
}  // namespace zizuvu
