// The build step itself, run as the build runs it: bad images stop it with
// "file:line: reason" and leave no table behind; a good one becomes the table source.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/run_command.hpp"
#include "download/intel_hex.hpp"

namespace zizuvu {
namespace {

using testing::read_file;
using testing::run_command;
using testing::TempDir;
using testing::write_file;

std::string line(std::uint16_t address, int count, std::uint8_t fill = 0x5A) {
    const std::vector<std::uint8_t> data(static_cast<std::size_t>(count), fill);
    return intel_hex_data_line(address, data.data(), count) + "\n";
}
const std::string END = ":00000001FF\n";

struct BuildStep {
    TempDir dir;
    testing::CommandResult run(const std::string& image_text) {
        write_file(dir.file("image.hex"), image_text);
        return run_command({ZIZUVU_HEX_TO_TABLE, dir.file("image.hex"), dir.file("table.cpp")});
    }
    std::string message(int line_number, const std::string& reason) {
        return dir.file("image.hex") + ":" + std::to_string(line_number) + ": " + reason + "\n";
    }
    bool table_written() { return std::filesystem::exists(dir.file("table.cpp")); }
};

TEST(BuildStep, TurnsAGoodImageIntoTheTableSource) {
    BuildStep step;
    const auto result = step.run(line(0x0F00, 16) + ":03123400010203B1\n" + line(0xFFF0, 16) + END);
    ASSERT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::string source = read_file(step.dir.file("table.cpp"));
    EXPECT_NE(source.find("STORED_RECORDS[60] = {"), std::string::npos);
    EXPECT_NE(source.find("0xB1, 0x34, 0x12, 0x03, 0x00, 0x03, 0x02, 0x01, 0x00,"), std::string::npos);
    EXPECT_NE(source.find("return {STORED_RECORDS, 3};"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(step.dir.file("table.cpp.partial")));
}

struct BadImage {
    const char* name;
    std::string text;
    int line;
    std::string reason;
};

void PrintTo(const BadImage& image, std::ostream* out) { *out << image.name; }

class BuildStepRefuses : public ::testing::TestWithParam<BadImage> {};

TEST_P(BuildStepRefuses, WithFileLineAndReason) {
    BuildStep step;
    const auto result = step.run(GetParam().text);
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.err, step.message(GetParam().line, GetParam().reason));
    EXPECT_FALSE(step.table_written());
}

const std::string tail = line(0xFFF0, 16) + END;

INSTANTIATE_TEST_SUITE_P(
    Images, BuildStepRefuses,
    ::testing::Values(
        BadImage{"BadChecksum", line(0x1000, 16) + ":03123400010203B0\n" + tail, 2,
                 "bad checksum: the record says B0, its bytes need B1"},
        BadImage{"MalformedLine", line(0x1000, 16) + "garbage\n" + tail, 2, "malformed line: a record starts with ':'"},
        BadImage{"OtherRecordType", ":020000021000EC\n" + tail, 1,
                 "record type 02 (extended segment address) is not allowed: only data (00) and end of file (01)"},
        BadImage{"ByteCountZero", line(0x1000, 16) + line(0x2000, 16) + ":00300000D0\n" + tail, 3,
                 "a data record with byte count 0"},
        BadImage{"ByteCountAbove16", line(0x1000, 16) + line(0x2000, 20) + tail, 2,
                 "a data record of 20 bytes: an image record holds at most 16"},
        BadImage{"WalkNeverEnds", line(0x1000, 16) + line(0xFFF8, 16) + line(0x2000, 4) + END, 3,
                 "the walk never ends: no record that is sent ends at 0xFFFF (the last record must)"},
        BadImage{"EarlierRecordEndsTheWalk", line(0x1000, 16) + line(0xFFF0, 16) + line(0x2000, 4) + tail, 2,
                 "this record ends at 0xFFFF and so ends every download, but 2 record(s) after it would never be sent"},
        BadImage{"SkippedRecordsDoNotEndTheWalk", line(0x1000, 1) + line(0xFFD0, 16) + line(0x0FF0, 16) + END, 3,
                 "the walk never ends: no record that is sent ends at 0xFFFF (the last record must)"},
        BadImage{"NoEndOfFile", line(0x1000, 16) + line(0xFFF0, 16), 2, "no end-of-file record (:00000001FF)"},
        BadImage{"Empty", END, 1, "no data records: the image is empty"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(BuildStep, RefusesMoreRecordsThanTheProgramCanAddress) {
    std::string text;
    for (int i = 0; i < 65536; ++i) text += line(0x1000, 1);
    BuildStep step;
    const auto result = step.run(text + tail);
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.err, step.message(65537, "more records than the program can address: at most 65536"));
    EXPECT_FALSE(step.table_written());
}

TEST(BuildStep, SaysSoWhenTheImageCannotBeRead) {
    BuildStep step;
    const auto result = run_command({ZIZUVU_HEX_TO_TABLE, step.dir.file("missing.hex"), step.dir.file("table.cpp")});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.err, step.dir.file("missing.hex") + ": cannot read the firmware image\n");
}

}  // namespace
}  // namespace zizuvu
