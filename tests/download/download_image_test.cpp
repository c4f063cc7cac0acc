// The image a download sends, loaded from a file with the build's own rules, and what
// identifies it: a file that breaks a rule is refused with its name, line and reason.
#include "download/download_image.hpp"

#include <gtest/gtest.h>

#include "download/intel_hex.hpp"
#include "tests/support/run_command.hpp"

namespace zizuvu {
namespace {

std::string data_line(std::uint16_t address, std::vector<std::uint8_t> data) {
    return intel_hex_data_line(address, data.data(), static_cast<int>(data.size())) + "\n";
}

const std::string END = std::string(INTEL_HEX_END_LINE) + "\n";

TEST(DownloadImage, TheCrc32IsTheOneEveryCrc32ToolComputes) {
    const std::string check = "123456789";
    EXPECT_EQ(crc32_of({reinterpret_cast<const std::uint8_t*>(check.data()), check.size()}), 0xCBF43926U);
    EXPECT_EQ(crc32_on_screen(0x0000ABCDU), "0000ABCD");
}

TEST(DownloadImage, AGoodFileIsKnownByItsNameRecordsBytesAndTheCrcOfWhatIsSent) {
    testing::TempDir dir;
    // A record below 0x1000 and one at 0xFFD0 are counted but not sent.
    testing::write_file(dir.file("small.hex"), data_line(0x0800, {9, 9}) + data_line(0x2000, {1, 2, 3}) +
                                                   data_line(0xFFD0, {7}) + data_line(0xFFFE, {4, 5}) + END);
    const ImageLoading loading = load_image_file(dir.file("small.hex"));
    ASSERT_TRUE(loading.image.has_value()) << loading.refusal;
    const DownloadImage& image = *loading.image;
    EXPECT_EQ(image.name, "small.hex");
    EXPECT_FALSE(image.built_in);
    EXPECT_EQ(image.table.record_count, 4);
    EXPECT_EQ(image.bytes_to_send, 5);
    const std::uint8_t sent[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(image.crc32, crc32_of(sent));
    EXPECT_EQ(image_identity(image), "small.hex  4 records  5 bytes  CRC-32 " + crc32_on_screen(crc32_of(sent)));
    const DownloadImage built_in = built_in_image();
    EXPECT_TRUE(built_in.built_in);
    EXPECT_EQ(image_identity(built_in).rfind("built-in (radio.hex)  3016 records  ", 0), 0U);
}

TEST(DownloadImage, AFileThatBreaksARuleIsRefusedWithItsLineAndReason) {
    testing::TempDir dir;
    struct Refused {
        const char* what;
        std::string text;
        std::string refusal;  // after "FILE"
    };
    std::string bad_checksum = data_line(0x2000, {1, 2, 3});
    bad_checksum[bad_checksum.size() - 2] ^= 1;  // the last digit of the checksum
    const Refused cases[] = {
        {"a bad checksum", data_line(0xFFF0, {1}) + bad_checksum + END, ":2: "},
        {"a walk that never ends", data_line(0x2000, {1, 2}) + END, ":1: the walk never ends"},
        {"records after the end", data_line(0xFFFF, {1}) + data_line(0x3000, {2}) + END, ":1: this record ends at 0xFFFF"},
        {"no data at all", END, ":1: no data records"},
        {"not Intel HEX", "hello\n", ":1: "},
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("bad.hex");
        testing::write_file(path, c.text);
        const ImageLoading loading = load_image_file(path);
        EXPECT_FALSE(loading.image.has_value());
        EXPECT_EQ(loading.refusal.rfind(path + c.refusal, 0), 0U) << loading.refusal;
    }
    const ImageLoading missing = load_image_file(dir.file("missing.hex"));
    EXPECT_EQ(missing.refusal, dir.file("missing.hex") + ": cannot read the firmware image: No such file or directory");
}

}  // namespace
}  // namespace zizuvu
