// The option codes' effects on line settings, including the two rules a
// pseudo-terminal cannot show: data bits rewriting stop bits and parity, and the
// last of the two DTR codes winning.
#include "serial/line_settings.hpp"

#include <gtest/gtest.h>

namespace zizuvu {
namespace {

LineSettings seven_even_two() {
    LineSettings settings;
    settings.baud_rate = 9600;
    settings.data_bits = 7;
    settings.parity = Parity::even;
    settings.parity_check = true;
    settings.stop_bits = StopBits::two;
    return settings;
}

struct DataBitsCase {
    int bits;
    StopBits stop_bits_before;
    StopBits stop_bits_after;
    Parity parity_after;
    bool parity_check_after;
};

TEST(LineSettings, DataBitsRewriteTheStopBitsAndFromEightOnTheParity) {
    const DataBitsCase cases[] = {
        {8, StopBits::two, StopBits::one, Parity::none, false},
        {6, StopBits::two, StopBits::one, Parity::even, true},
        {5, StopBits::two, StopBits::one_and_a_half, Parity::even, true},
        {5, StopBits::one, StopBits::one, Parity::even, true},
    };
    for (const DataBitsCase& c : cases) {
        LineSettings settings = seven_even_two();
        settings.stop_bits = c.stop_bits_before;
        ASSERT_TRUE(change_line_setting(settings, OPTION_DATA_BITS, c.bits));
        EXPECT_EQ(settings.data_bits, c.bits);
        EXPECT_EQ(settings.stop_bits, c.stop_bits_after) << c.bits;
        EXPECT_EQ(settings.parity, c.parity_after) << c.bits;
        EXPECT_EQ(settings.parity_check, c.parity_check_after) << c.bits;
        EXPECT_EQ(settings.baud_rate, 9600U);
    }
    // What comes after the data bits stays.
    LineSettings settings = seven_even_two();
    ASSERT_TRUE(change_line_setting(settings, OPTION_DATA_BITS, 7));
    ASSERT_TRUE(change_line_setting(settings, OPTION_STOP_BITS, STOP_BITS_TWO));
    ASSERT_TRUE(change_line_setting(settings, OPTION_PARITY_CHECK, 1));
    EXPECT_EQ(settings.stop_bits, StopBits::two);
    EXPECT_TRUE(settings.parity_check);
}

TEST(LineSettings, TheLaterOfTheTwoDtrCodesDecides) {
    EXPECT_EQ(dtr_control_for(OPTION_DTR_HANDSHAKE, 0), DtrControl::lowered);  // low between the two settings
    EXPECT_EQ(dtr_control_for(OPTION_DTR_LINE, 1), DtrControl::raised);
    EXPECT_EQ(dtr_control_for(OPTION_DTR_HANDSHAKE, 1), DtrControl::handshake);
    EXPECT_EQ(dtr_control_for(OPTION_DTR_LINE, 0), DtrControl::lowered);
    EXPECT_EQ(dtr_control_for(OPTION_CTS_FLOW, 1), std::nullopt);
    LineSettings settings;
    EXPECT_FALSE(change_line_setting(settings, OPTION_DTR_LINE, 1)) << "the DTR codes are not line settings";
}

TEST(LineSettings, AnyValueButZeroIsOn) {
    LineSettings settings;
    ASSERT_TRUE(change_line_setting(settings, OPTION_CTS_FLOW, -1));
    ASSERT_TRUE(change_line_setting(settings, OPTION_DSR_FLOW, 2));
    ASSERT_TRUE(change_line_setting(settings, OPTION_DSR_SENSITIVITY, 65536));
    EXPECT_TRUE(settings.cts_flow && settings.dsr_flow && settings.dsr_sensitivity);
    ASSERT_TRUE(change_line_setting(settings, OPTION_CTS_FLOW, 0));
    EXPECT_FALSE(settings.cts_flow);
}

TEST(LineSettings, QueueCodesUnknownCodesAndUnholdableValuesLeaveTheSettingsAlone) {
    const LineSettings before = seven_even_two();
    LineSettings settings = before;
    EXPECT_FALSE(change_line_setting(settings, OPTION_RECEIVE_QUEUE, 2048));
    EXPECT_FALSE(change_line_setting(settings, OPTION_TRANSMIT_QUEUE, 1024));
    EXPECT_FALSE(change_line_setting(settings, 2, 1));
    EXPECT_FALSE(change_line_setting(settings, OPTION_DATA_BITS, 264));  // would wrap to 8 in a byte
    EXPECT_FALSE(change_line_setting(settings, OPTION_STOP_BITS, -1));
    EXPECT_FALSE(change_line_setting(settings, OPTION_STOP_BITS, 3));
    EXPECT_FALSE(change_line_setting(settings, OPTION_BAUD_RATE, 0));
    EXPECT_FALSE(change_line_setting(settings, OPTION_BAUD_RATE, -19200));
    EXPECT_EQ(settings, before);
}

}  // namespace
}  // namespace zizuvu
