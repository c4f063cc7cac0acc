// The download-mode codes put together from their one-character pieces match the
// build settings they came from.
#include <gtest/gtest.h>

#include <string>

#include "download/radio_codes.hpp"

namespace zizuvu {
namespace {

std::string joined(std::string_view (*piece)(int), int length) {
    std::string code;
    for (int i = 0; i < length; ++i) {
        const std::string_view p = piece(i);
        EXPECT_EQ(p.size(), 1U) << "piece " << i;
        code += p;
    }
    return code;
}

TEST(RadioCodes, PiecesPutTogetherAreTheBuildSettings) {
    EXPECT_EQ(joined(x71_code_piece, X71_CODE_LENGTH), ZIZUVU_SETTING_X71_CODE);
    EXPECT_EQ(joined(x71_code_before_545_piece, X71_CODE_BEFORE_545_LENGTH), ZIZUVU_SETTING_X71_CODE_BEFORE_545);
    EXPECT_EQ(x71_code().text(), ZIZUVU_SETTING_X71_CODE);
    EXPECT_EQ(x71_code_before_545().text(), ZIZUVU_SETTING_X71_CODE_BEFORE_545);
    const unsigned expected[] = {ZIZUVU_SETTING_MODE_COMMAND};
    const DownloadCode command = mode_command();
    ASSERT_EQ(command.length, MODE_COMMAND_LENGTH);
    for (int i = 0; i < MODE_COMMAND_LENGTH; ++i) {
        EXPECT_EQ(mode_command_piece(i), expected[i]);
        EXPECT_EQ(command.bytes[static_cast<std::size_t>(i)], expected[i]);
    }
}

TEST(RadioCodes, PositionsOutsideACodeGiveNothing) {
    EXPECT_TRUE(x71_code_piece(-1).empty());
    EXPECT_TRUE(x71_code_piece(X71_CODE_LENGTH).empty());
    EXPECT_TRUE(x71_code_before_545_piece(1).empty());
    EXPECT_EQ(mode_command_piece(4), 0);
}

}  // namespace
}  // namespace zizuvu
