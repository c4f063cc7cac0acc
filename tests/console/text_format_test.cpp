#include "console/text_format.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace zizuvu {
namespace {

TEST(FormatNumber, IndicatorMask) {
    EXPECT_EQ(format_number(7, "### "), "  7 ");
    EXPECT_EQ(format_number(0, "### "), "  0 ");
    EXPECT_EQ(format_number(53, "### "), " 53 ");
    EXPECT_EQ(format_number(1000, "### "), "%1000 ");
    EXPECT_EQ(format_number(-5, "### "), " -5 ");
    EXPECT_EQ(format_number(-100, "### "), "%-100 ");
}

TEST(FormatNumber, ProgramTimeRoundsHalfUpOnDecimalDigits) {
    EXPECT_EQ(format_number(12.125, "##.##"), "12.13");
    EXPECT_EQ(format_number(3.5, "##.##"), " 3.50");
    EXPECT_EQ(format_number(123.5, "##.##"), "%123.50");
    EXPECT_EQ(format_number(0.004, "##.##"), " 0.00");
    EXPECT_EQ(format_number(9.999, "##.##"), "10.00");
    EXPECT_EQ(format_number(99.999, "##.##"), "%100.00");
    // 2.675 is stored as 2.67499999...: its decimal digits round down.
    EXPECT_EQ(format_number(2.675, "##.##"), " 2.67");
    EXPECT_EQ(format_number(12.125, "Program Time is ##.## S"), "Program Time is 12.13 S");
    EXPECT_EQ(format_number(static_cast<float>(123.5), "Program Time is ##.## S"), "Program Time is %123.50 S");
}

TEST(FormatNumber, RecordIndexMaskAndLiterals) {
    EXPECT_EQ(format_number(3015, "#####   "), " 3015   ");
    EXPECT_EQ(format_number(4, "\\#=##"), "#= 4");
    EXPECT_EQ(format_number(4, "no field"), "no field");
    EXPECT_EQ(format_number(0.5, ".##"), ".50");
}

TEST(NumberFromText, PrefixesAndDecimals) {
    EXPECT_EQ(number_from_text("&H2580"), 9600.0);
    EXPECT_EQ(number_from_text("&h1f"), 31.0);
    EXPECT_EQ(number_from_text("&B101"), 5.0);
    EXPECT_EQ(number_from_text("&O17"), 15.0);
    EXPECT_EQ(number_from_text("&Q17"), 15.0);
    EXPECT_EQ(number_from_text("&17"), 15.0);
    EXPECT_EQ(number_from_text("&18"), 1.0);  // 8 is no octal digit: reading stops there
    EXPECT_EQ(number_from_text("9.5"), 9.5);
    EXPECT_EQ(number_from_text("1E3"), 1000.0);
    EXPECT_EQ(number_from_text("2.5d2"), 250.0);
    EXPECT_EQ(number_from_text("  -7x"), -7.0);
    EXPECT_EQ(number_from_text("\t\n+12"), 12.0);
    EXPECT_EQ(number_from_text("1e"), 1.0);  // an exponent letter without digits is not read
    EXPECT_EQ(number_from_text(""), 0.0);
    EXPECT_EQ(number_from_text("Com3"), 0.0);
    EXPECT_EQ(number_from_text("-"), 0.0);
}

TEST(RoundToInt32, TiesToEvenAndOverflowIsMostNegative) {
    EXPECT_EQ(round_to_int32(2.5), 2);
    EXPECT_EQ(round_to_int32(3.5), 4);
    EXPECT_EQ(round_to_int32(9.4), 9);
    EXPECT_EQ(round_to_int32(9.5), 10);
    EXPECT_EQ(round_to_int32(-0.5), 0);
    EXPECT_EQ(round_to_int32(2147483647.0), 2147483647);
    constexpr auto most_negative = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(round_to_int32(2147483648.0), most_negative);
    EXPECT_EQ(round_to_int32(number_from_text("99999999999")), most_negative);
    EXPECT_EQ(round_to_int32(number_from_text("1E999")), most_negative);
    EXPECT_EQ(round_to_int32(number_from_text("&HFFFFFFFF")), most_negative);
}

TEST(HexText, NaturalAndFixedWidth) {
    EXPECT_EQ(hex_text(0, 0), "0");
    EXPECT_EQ(hex_text(0xFFD0, 0), "FFD0");
    EXPECT_EQ(hex_text(0x1A, 0), "1A");
    EXPECT_EQ(hex_text(0x1A, 4), "001A");
    EXPECT_EQ(hex_text(0x12345, 2), "45");
    EXPECT_EQ(hex_text(0xFFFFFFFF, 12), "FFFFFFFF");
}

TEST(NumberText, GeneralForm) {
    char buffer[NUMBER_TEXT_CAPACITY];
    EXPECT_EQ(number_text(19200, buffer), " 19200 ");
    EXPECT_EQ(number_text(115200, buffer), " 115200 ");
    EXPECT_EQ(number_text(0, buffer), " 0 ");
    EXPECT_EQ(number_text(-42, buffer), "-42 ");
    EXPECT_EQ(number_text(0.5, buffer), " .5 ");
}

}  // namespace
}  // namespace zizuvu
