// Known answers of the download protocol's arithmetic, on the program's side and on
// the radio's side (the simulated radio's code path), and the properties the radio's
// resynchronisation relies on.
#include <gtest/gtest.h>

#include "download/radio_protocol.hpp"

namespace zizuvu {
namespace {

TEST(RadioProtocol, KeyStepKnownAnswers) {
    EXPECT_EQ(key_step(0x0000), 0x0000);
    EXPECT_EQ(key_step(0x0001), 0x0002);
    EXPECT_EQ(key_step(0x1234), 0x2468);
    EXPECT_EQ(key_step(0x8000), 0x0001);
    EXPECT_EQ(key_step(0xFFFF), 0xFFFE);
    EXPECT_EQ(key_step(0xBEEF), 0x7DDF);
}

TEST(RadioProtocol, ProgramScramblesKnownAnswers) {
    const DataFrame a = scramble_data_byte(0x1234, 0xA5);
    EXPECT_EQ(a.scrambled_byte, 0xCD);
    EXPECT_EQ(a.check_byte, 0x91);
    EXPECT_EQ(a.acknowledgement, 0xE9);
    const DataFrame b = scramble_data_byte(0xFFFF, 0x7E);
    EXPECT_EQ(b.scrambled_byte, 0x80);
    EXPECT_EQ(b.check_byte, 0xFB);
    EXPECT_EQ(b.acknowledgement, 0x7F);
}

TEST(RadioProtocol, RadioUnscramblesKnownAnswers) {
    const UnscrambledFrame a = unscramble_data_frame(0x1234, 0xCD, 0x91);
    EXPECT_EQ(a.data, 0xA5);
    EXPECT_TRUE(a.check_ok);
    EXPECT_EQ(a.acknowledgement, 0xE9);
    const UnscrambledFrame b = unscramble_data_frame(0xFFFF, 0x80, 0xFB);
    EXPECT_EQ(b.data, 0x7E);
    EXPECT_TRUE(b.check_ok);
    EXPECT_EQ(b.acknowledgement, 0x7F);
    EXPECT_FALSE(unscramble_data_frame(0x1234, 0xCD, 0x92).check_ok);
}

TEST(RadioProtocol, IdentificationKnownAnswersBothWays) {
    EXPECT_EQ(identification_reply(1234, 123456), (std::array<std::uint8_t, 4>{0xFF, 0xEB, 0xE5, 0x12}));
    EXPECT_EQ(identification_reply(65535, 11259375), (std::array<std::uint8_t, 4>{0xFF, 0x32, 0x11, 0x54}));
    EXPECT_EQ(unmask_serial_number(1234, 0xEB, 0xE5, 0x12), 123456U);
    EXPECT_EQ(unmask_serial_number(65535, 0x32, 0x11, 0x54), 11259375U);
}

TEST(RadioProtocol, EveryFrameRoundTripsAndEveryOtherCheckByteFails) {
    for (unsigned address = 0; address <= 0xFFFF; address += 0x0101) {
        for (unsigned data = 0; data <= 0xFF; ++data) {
            const auto a = static_cast<std::uint16_t>(address);
            const DataFrame frame = scramble_data_byte(a, static_cast<std::uint8_t>(data));
            const UnscrambledFrame back = unscramble_data_frame(a, frame.scrambled_byte, frame.check_byte);
            ASSERT_TRUE(back.check_ok);
            ASSERT_EQ(back.data, data);
            ASSERT_EQ(back.acknowledgement, frame.acknowledgement);
            ASSERT_FALSE(unscramble_data_frame(a, frame.scrambled_byte, static_cast<std::uint8_t>(frame.check_byte ^ 0x10)).check_ok);
        }
    }
}

TEST(RadioProtocol, NoExchangeLooksLikeAResync) {
    // The radio takes four 0xFF in a row as a resynchronisation wherever it stands, and
    // FF FF as a frame as the start of one: neither may occur in a run of exchanges.
    for (unsigned address = 0; address <= 0xFFFF; ++address) {
        for (unsigned data = 0; data <= 0xFF; data += 1) {
            const DataFrame frame = scramble_data_byte(static_cast<std::uint16_t>(address), static_cast<std::uint8_t>(data));
            ASSERT_FALSE(frame.scrambled_byte == 0xFF && frame.check_byte == 0xFF);
            // lead, high, low, frame; the next exchange starts with the lead 0x00 again
            const std::uint8_t run[6] = {FRAME_LEAD, static_cast<std::uint8_t>(address >> 8U),
                                         static_cast<std::uint8_t>(address & 0xFFU), frame.scrambled_byte,
                                         frame.check_byte, FRAME_LEAD};
            int longest = 0;
            int current = 0;
            for (std::uint8_t b : run) {
                current = b == 0xFF ? current + 1 : 0;
                longest = std::max(longest, current);
            }
            ASSERT_LT(longest, 4) << std::hex << address << " " << data;
        }
    }
}

TEST(RadioProtocol, DownloadSpeeds) {
    EXPECT_EQ(download_baud(SPEED_CODE_HIGH), 115200);
    EXPECT_EQ(download_baud(SPEED_CODE_NORMAL), 38400);
}

}  // namespace
}  // namespace zizuvu
