// Reading Intel HEX images: what is accepted, and each refusal with its line.
#include <gtest/gtest.h>

#include "download/intel_hex.hpp"

namespace zizuvu {
namespace {

std::string data_line(std::uint16_t address, std::vector<std::uint8_t> data) {
    return intel_hex_data_line(address, data.data(), static_cast<int>(data.size()));
}

TEST(IntelHex, WritesTheStandardLine) {
    EXPECT_EQ(data_line(0x1234, {0x01, 0x02, 0x03}), ":03123400010203B1");
    EXPECT_EQ(data_line(0xFFFF, {0x7E}), ":01FFFF007E83");
}

TEST(IntelHex, ReadsRecordsInFileOrderWithTheirLines) {
    const std::string text = data_line(0x2000, {1, 2}) + "\r\n\n" + data_line(0x1000, {3}) + "\n:00000001ff\r\n\n";
    const ImageReading reading = read_image_records(text);
    ASSERT_FALSE(reading.fault) << reading.fault->reason;
    ASSERT_EQ(reading.records.size(), 2U);
    EXPECT_EQ(reading.records[0].load_address, 0x2000);
    EXPECT_EQ(reading.records[0].data, (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(reading.records[1].line, 3);
    EXPECT_EQ(reading.records[1].load_address, 0x1000);
}

struct Refusal {
    std::string text;
    int line;
    std::string reason;
};

class IntelHexRefuses : public ::testing::TestWithParam<Refusal> {};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << "\"" << refusal.reason << "\""; }

TEST_P(IntelHexRefuses, WithLineAndReason) {
    const ImageReading reading = read_image_records(GetParam().text);
    ASSERT_TRUE(reading.fault);
    EXPECT_EQ(reading.fault->line, GetParam().line);
    EXPECT_NE(reading.fault->reason.find(GetParam().reason), std::string::npos) << reading.fault->reason;
}

const std::string good = ":03123400010203B1\n";
const std::string end = ":00000001FF\n";

INSTANTIATE_TEST_SUITE_P(
    Lines, IntelHexRefuses,
    ::testing::Values(Refusal{good + ":03123400010203B2\n" + end, 2, "bad checksum: the record says B2, its bytes need B1"},
                      Refusal{good + "03123400010203B1\n" + end, 2, "malformed line: a record starts with ':'"},
                      Refusal{good + ":0312340001020XB1\n" + end, 2, "'X' at column 15 is not a hexadecimal digit"},
                      Refusal{":03123400010203B\n" + end, 1, "odd number of hexadecimal digits"},
                      Refusal{":0312340001B1\n" + end, 1, "byte count 3 needs 8 bytes, the line holds 6"},
                      Refusal{":0000\n" + end, 1, "too short"},
                      Refusal{good + ":020000040001F9\n" + end, 2, "record type 04 (extended linear address) is not allowed"},
                      Refusal{good + ":0400000300001000E9\n" + end, 2, "record type 03"},
                      Refusal{":00100000F0\n" + end, 1, "a data record with byte count 0"},
                      Refusal{":11100000000102030405060708090A0B0C0D0E0F1057\n" + end, 1,
                              "a data record of 17 bytes: an image record holds at most 16"},
                      Refusal{good + end + good, 3, "a record after the end-of-file record (line 2)"},
                      Refusal{good + good, 2, "no end-of-file record"},
                      Refusal{"", 1, "no end-of-file record"},
                      Refusal{good + ":01000001AA54\n", 2, "an end-of-file record carries no data"}));

TEST(IntelHex, RefusesMoreRecordsThanTheProgramCanAddress) {
    std::string text;
    for (int i = 0; i < 65537; ++i) text += good;
    const ImageReading reading = read_image_records(text + end);
    ASSERT_TRUE(reading.fault);
    EXPECT_EQ(reading.fault->line, 65537);
    EXPECT_NE(reading.fault->reason.find("more records than the program can address: at most 65536"), std::string::npos);
}

}  // namespace
}  // namespace zizuvu
