// The option codes' effects on a line state, including the two rules a
// pseudo-terminal cannot show: data bits rewriting stop bits and parity, and the
// last of the two DTR codes winning.
#include "serial/line_settings.hpp"

#include <gtest/gtest.h>

namespace zizuvu {
namespace {

LineState seven_even_two() {
    LineState state;
    state.baud_rate = 9600;
    state.byte_size = 7;
    state.parity = EVENPARITY;
    state.parity_check = true;
    state.stop_bits = TWOSTOPBITS;
    return state;
}

TEST(LineSettings, EightDataBitsAfterTwoStopBitsAndEvenParityLeaveOneStopBitAndNoParity) {
    LineState state = seven_even_two();
    ASSERT_TRUE(change_line_setting(state, OPTION_DATA_BITS, 8));
    EXPECT_EQ(state.byte_size, 8);
    EXPECT_EQ(state.stop_bits, ONESTOPBIT);
    EXPECT_EQ(state.parity, NOPARITY);
    EXPECT_FALSE(state.parity_check);
    EXPECT_EQ(state.baud_rate, 9600U);
}

TEST(LineSettings, DataBitsBelowEightKeepTheParityButStillResetTheStopBits) {
    LineState state = seven_even_two();
    ASSERT_TRUE(change_line_setting(state, OPTION_DATA_BITS, 6));
    EXPECT_EQ(state.stop_bits, ONESTOPBIT);
    EXPECT_EQ(state.parity, EVENPARITY);
    EXPECT_TRUE(state.parity_check);
}

TEST(LineSettings, FiveDataBitsTurnTwoStopBitsIntoOneAndAHalf) {
    LineState state = seven_even_two();
    ASSERT_TRUE(change_line_setting(state, OPTION_DATA_BITS, 5));
    EXPECT_EQ(state.stop_bits, ONE5STOPBITS);
    state.stop_bits = ONESTOPBIT;
    ASSERT_TRUE(change_line_setting(state, OPTION_DATA_BITS, 5));
    EXPECT_EQ(state.stop_bits, ONESTOPBIT);
}

TEST(LineSettings, StopBitsAndParityAfterTheDataBitsStay) {
    LineState state = seven_even_two();
    ASSERT_TRUE(change_line_setting(state, OPTION_DATA_BITS, 7));
    ASSERT_TRUE(change_line_setting(state, OPTION_STOP_BITS, TWOSTOPBITS));
    ASSERT_TRUE(change_line_setting(state, OPTION_PARITY_CHECK, 1));
    EXPECT_EQ(state.stop_bits, TWOSTOPBITS);
    EXPECT_TRUE(state.parity_check);
}

TEST(LineSettings, DtrHandshakeOffThenDtrLineOnLeavesDtrRaised) {
    LineState state;
    ASSERT_TRUE(change_line_setting(state, OPTION_DTR_HANDSHAKE, 0));
    EXPECT_EQ(state.dtr_control, DtrControl::disable);  // low between the two settings
    ASSERT_TRUE(change_line_setting(state, OPTION_DTR_LINE, 1));
    EXPECT_EQ(state.dtr_control, DtrControl::enable);
}

TEST(LineSettings, DtrLineOnThenDtrHandshakeOffLeavesDtrLowered) {
    LineState state;
    ASSERT_TRUE(change_line_setting(state, OPTION_DTR_LINE, 1));
    ASSERT_TRUE(change_line_setting(state, OPTION_DTR_HANDSHAKE, 0));
    EXPECT_EQ(state.dtr_control, DtrControl::disable);
    ASSERT_TRUE(change_line_setting(state, OPTION_DTR_HANDSHAKE, 1));
    EXPECT_EQ(state.dtr_control, DtrControl::handshake);
    ASSERT_TRUE(change_line_setting(state, OPTION_DTR_LINE, 0));
    EXPECT_EQ(state.dtr_control, DtrControl::disable);
}

TEST(LineSettings, AnyValueButZeroIsOn) {
    LineState state;
    ASSERT_TRUE(change_line_setting(state, OPTION_CTS_FLOW, -1));
    ASSERT_TRUE(change_line_setting(state, OPTION_DSR_FLOW, 2));
    ASSERT_TRUE(change_line_setting(state, OPTION_DSR_SENSITIVITY, 65536));
    EXPECT_TRUE(state.cts_flow && state.dsr_flow && state.dsr_sensitivity);
    ASSERT_TRUE(change_line_setting(state, OPTION_CTS_FLOW, 0));
    EXPECT_FALSE(state.cts_flow);
}

TEST(LineSettings, QueueCodesUnknownCodesAndUnholdableValuesLeaveTheStateAlone) {
    const LineState before = seven_even_two();
    LineState state = before;
    EXPECT_FALSE(change_line_setting(state, OPTION_RECEIVE_QUEUE, 2048));
    EXPECT_FALSE(change_line_setting(state, OPTION_TRANSMIT_QUEUE, 1024));
    EXPECT_FALSE(change_line_setting(state, 2, 1));
    EXPECT_FALSE(change_line_setting(state, OPTION_DATA_BITS, 264));  // would wrap to 8 in a byte
    EXPECT_FALSE(change_line_setting(state, OPTION_STOP_BITS, -1));
    EXPECT_FALSE(change_line_setting(state, OPTION_BAUD_RATE, 0));
    EXPECT_FALSE(change_line_setting(state, OPTION_BAUD_RATE, -19200));
    EXPECT_EQ(state, before);
}

}  // namespace
}  // namespace zizuvu
