// The line settings as a Linux terminal's settings: what each field becomes, what a
// serial device cannot do, and what opening a port may and may not touch.
#include "platform/linux/termios_line_state.hpp"

#include <gtest/gtest.h>

namespace zizuvu {
namespace {

termios cooked_seven_even_two_at_9600() {
    termios mode{};
    mode.c_iflag = ICRNL | IXON | IXOFF | INPCK | ISTRIP | BRKINT;
    mode.c_oflag = OPOST | ONLCR;
    mode.c_cflag = CS7 | PARENB | CSTOPB | CRTSCTS | CREAD | HUPCL;
    mode.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    mode.c_cc[VMIN] = 0;
    mode.c_cc[VTIME] = 5;
    cfsetospeed(&mode, B9600);
    cfsetispeed(&mode, B9600);
    return mode;
}

TEST(TermiosLineSettings, ReadsSpeedFramingAndFlow) {
    const LineSettings state = line_settings_from_termios(cooked_seven_even_two_at_9600());
    EXPECT_EQ(state.baud_rate, 9600U);
    EXPECT_EQ(state.data_bits, 7);
    EXPECT_EQ(state.parity, Parity::even);
    EXPECT_EQ(state.stop_bits, StopBits::two);
    EXPECT_TRUE(state.parity_check);
    EXPECT_TRUE(state.cts_flow);
    EXPECT_FALSE(state.dsr_flow);
}

TEST(TermiosLineSettings, EightNoneOneAtTheDownloadSpeeds) {
    termios mode = cooked_seven_even_two_at_9600();
    LineSettings state = line_settings_from_termios(mode);
    state.data_bits = 8;
    state.parity = Parity::none;
    state.parity_check = false;
    state.stop_bits = StopBits::one;
    state.cts_flow = false;
    for (std::uint32_t baud : {4800U, 9600U, 19200U, 38400U, 57600U, 115200U, 460800U}) {
        state.baud_rate = baud;
        ASSERT_TRUE(apply_line_settings(mode, state)) << baud;
        EXPECT_EQ(baud_from_speed(cfgetospeed(&mode)), baud);
        EXPECT_EQ(baud_from_speed(cfgetispeed(&mode)), baud);
        EXPECT_EQ(mode.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(mode.c_cflag & (PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS), 0U);
        EXPECT_EQ(mode.c_iflag & INPCK, 0U);
        EXPECT_EQ(line_settings_from_termios(mode), state);
    }
    // What the settings do not name stays.
    EXPECT_NE(mode.c_cflag & HUPCL, 0U);
    EXPECT_NE(mode.c_lflag & ICANON, 0U);
}

TEST(TermiosLineSettings, EveryParityAndStopBitCombinationSurvivesTheRoundTrip) {
    termios mode = cooked_seven_even_two_at_9600();
    for (Parity parity : {Parity::none, Parity::odd, Parity::even, Parity::mark, Parity::space}) {
        for (std::uint8_t size : {5, 6, 7, 8}) {
            LineSettings state = line_settings_from_termios(mode);
            state.parity = parity;
            state.data_bits = size;
            state.stop_bits = size == 5 ? StopBits::one_and_a_half : StopBits::two;
            ASSERT_TRUE(apply_line_settings(mode, state));
            EXPECT_EQ(line_settings_from_termios(mode), state) << static_cast<int>(parity) << " " << int{size};
        }
    }
}

TEST(TermiosLineSettings, WhatASerialDeviceCannotDoIsRefusedAndNothingChanges) {
    const termios original = cooked_seven_even_two_at_9600();
    const LineSettings good = line_settings_from_termios(original);
    auto refused = [&](auto change) {
        termios mode = original;
        LineSettings state = good;
        change(state);
        const bool applied = apply_line_settings(mode, state);
        return !applied && same_line_settings(mode, original);
    };
    EXPECT_TRUE(refused([](LineSettings& s) { s.data_bits = 9; }));
    EXPECT_TRUE(refused([](LineSettings& s) { s.data_bits = 4; }));
    EXPECT_TRUE(refused([](LineSettings& s) { s.stop_bits = StopBits::one_and_a_half; }));  // only with 5 data bits
    EXPECT_TRUE(refused([](LineSettings& s) {
        s.data_bits = 5;
        s.stop_bits = StopBits::two;
    }));
    EXPECT_TRUE(refused([](LineSettings& s) { s.baud_rate = 12345; }));
    EXPECT_TRUE(refused([](LineSettings& s) { s.dsr_flow = true; }));
    EXPECT_TRUE(refused([](LineSettings& s) { s.dsr_sensitivity = true; }));
    EXPECT_TRUE(refused([](LineSettings& s) { s.dtr_flow = true; }));
}

TEST(TermiosLineSettings, ASpeedWithoutANumberIsKeptThroughOtherChanges) {
    termios mode = cooked_seven_even_two_at_9600();
    cfsetospeed(&mode, B0);
    cfsetispeed(&mode, B0);
    LineSettings state = line_settings_from_termios(mode);
    EXPECT_EQ(state.baud_rate, 0U);
    state.cts_flow = false;
    ASSERT_TRUE(apply_line_settings(mode, state));
    EXPECT_EQ(cfgetospeed(&mode), static_cast<speed_t>(B0));
    EXPECT_EQ(mode.c_cflag & CRTSCTS, 0U);
}

TEST(TermiosLineSettings, RawModeKeepsTheLineAndDropsEveryTranslation) {
    const termios original = cooked_seven_even_two_at_9600();
    const termios raw = raw_port_mode(original);
    EXPECT_TRUE(same_line_settings(raw, original));
    EXPECT_NE(raw.c_cflag & HUPCL, 0U);
    EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0U);
    EXPECT_EQ(raw.c_iflag & (ICRNL | IXON | IXOFF | ISTRIP | BRKINT), 0U);
    EXPECT_EQ(raw.c_oflag & OPOST, 0U);
    EXPECT_EQ(raw.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(raw.c_cc[VMIN], 1);
    EXPECT_EQ(raw.c_cc[VTIME], 0);
}

}  // namespace
}  // namespace zizuvu
