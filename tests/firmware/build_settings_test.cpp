// The build settings as someone building with the real image or other radio codes meets
// them: a separate build tree configured with them, and only the firmware built.
#include <gtest/gtest.h>

#include "tests/support/run_command.hpp"
#include "download/intel_hex.hpp"

namespace zizuvu {
namespace {

using testing::read_file;
using testing::run_command;
using testing::TempDir;
using testing::write_file;

testing::CommandResult configure(const TempDir& dir, const std::vector<std::string>& settings) {
    std::vector<std::string> command = {ZIZUVU_CMAKE, "-S", ZIZUVU_SOURCE_DIR, "-B", dir.file("build"), "-G", "Ninja",
                                        "-DZIZUVU_BUILD_TESTS=OFF", "-DZIZUVU_BUILD_BENCH=OFF"};
    command.insert(command.end(), settings.begin(), settings.end());
    return run_command(command);
}

testing::CommandResult build_firmware(const TempDir& dir) {
    return run_command({ZIZUVU_CMAKE, "--build", dir.file("build"), "--target", "zizuvu_firmware", "zizuvu_radio_protocol"});
}

std::string line(std::uint16_t address, int count) {
    const std::vector<std::uint8_t> data(static_cast<std::size_t>(count), 0x42);
    return intel_hex_data_line(address, data.data(), count) + "\n";
}

TEST(BuildSettings, AnotherImageIsCompiledInAndABadOneStopsTheBuild) {
    TempDir dir;
    write_file(dir.file("real.hex"), line(0x1000, 16) + line(0xFFF0, 16) + ":00000001FF\n");
    write_file(dir.file("bad.hex"), line(0x1000, 16) + ":03123400010203B0\n" + line(0xFFF0, 16) + ":00000001FF\n");
    auto configured = configure(dir, {"-DZIZUVU_FIRMWARE_HEX=" + dir.file("real.hex")});
    ASSERT_EQ(configured.exit_code, 0) << configured.err;
    auto built = build_firmware(dir);
    ASSERT_EQ(built.exit_code, 0) << built.out;
    EXPECT_NE(read_file(dir.file("build/download/firmware_table.cpp")).find("from real.hex (2 records)"), std::string::npos);

    configured = configure(dir, {"-DZIZUVU_FIRMWARE_HEX=" + dir.file("bad.hex")});
    ASSERT_EQ(configured.exit_code, 0) << configured.err;
    built = build_firmware(dir);
    EXPECT_NE(built.exit_code, 0);
    EXPECT_NE(built.out.find(dir.file("bad.hex") + ":2: bad checksum: the record says B0, its bytes need B1"),
              std::string::npos)
        << built.out;

    configured = configure(dir, {"-DZIZUVU_FIRMWARE_HEX=" + dir.file("missing.hex")});
    EXPECT_NE(configured.exit_code, 0);
    EXPECT_NE(configured.err.find("ZIZUVU_FIRMWARE_HEX: no such file"), std::string::npos) << configured.err;
}

TEST(BuildSettings, OtherRadioCodesAndCodesOfTheWrongSize) {
    TempDir dir;
    auto configured = configure(dir, {"-DZIZUVU_X71_CODE=ABCD", "-DZIZUVU_X71_CODE_BEFORE_545=Q",
                                      "-DZIZUVU_MODE_COMMAND=0x1B 0x41 0x42 200"});
    ASSERT_EQ(configured.exit_code, 0) << configured.err;
    const std::string pieces = read_file(dir.file("build/download/generated/radio_code_pieces.hpp"));
    EXPECT_NE(pieces.find("X71_CODE[4][1] = {{static_cast<char>(0x41)}, {static_cast<char>(0x42)}, "
                          "{static_cast<char>(0x43)}, {static_cast<char>(0x44)}}"),
              std::string::npos)
        << pieces;
    EXPECT_NE(pieces.find("X71_CODE_BEFORE_545[1][1] = {{static_cast<char>(0x51)}}"), std::string::npos);
    EXPECT_NE(pieces.find("{static_cast<char>(0xc8)}}"), std::string::npos);
    EXPECT_EQ(build_firmware(dir).exit_code, 0);

    for (const std::string& bad : {std::string("-DZIZUVU_X71_CODE=ZDL"), std::string("-DZIZUVU_MODE_COMMAND=0x1B 0x58 0x37"),
                                   std::string("-DZIZUVU_MODE_COMMAND=0x1B 0x58 0x37 0x132")}) {
        TempDir other;
        const auto refused = configure(other, {bad});
        EXPECT_NE(refused.exit_code, 0) << bad;
        EXPECT_NE(refused.err.find("ZIZUVU_"), std::string::npos) << refused.err;
    }
}

}  // namespace
}  // namespace zizuvu
