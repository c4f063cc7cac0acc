// The channel layer on a real port under wine: tools/windows-test runs these tests with
// the simulated radio (in its setup menu) behind Com1 and says so in ZIZUVU_RADIO_ON_COM1.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/clock.hpp"
#include "serial/error_state.hpp"
#include "platform/port_io.hpp"
#include "serial/serial_channel.hpp"

namespace zizuvu {
namespace {

struct RadioOnCom1 : ::testing::Test {
    void SetUp() override {
        if (std::getenv("ZIZUVU_RADIO_ON_COM1") == nullptr) GTEST_SKIP() << "no radio behind Com1";
    }

    // What the radio sends until `text` has come, read as the program reads: the
    // bytes waiting, then exactly that many. Gives up after some seconds.
    std::string read_until(const std::string& text) {
        std::string got;
        for (int looks = 0; looks < 1000 && got.find(text) == std::string::npos; ++looks) {
            const std::int32_t waiting = bytes_waiting(channels, PORT_CHANNEL);
            if (waiting > 0) {
                got += read_channel(channels, PORT_CHANNEL, waiting);
            } else {
                pause_ms(10);
            }
        }
        return got;
    }

    ErrorState errors;
    ChannelTable channels{errors};
};

TEST_F(RadioOnCom1, TheLinkSettingsTakeAndTheRadioAnswersThroughTheChannel) {
    open_channel(channels, "Com1", PORT_CHANNEL);
    ASSERT_EQ(error_number(errors), 0);
    set_port_option(channels, PORT_CHANNEL, OPTION_BAUD_RATE, 19200);
    set_port_option(channels, PORT_CHANNEL, OPTION_DATA_BITS, 8);
    set_port_option(channels, PORT_CHANNEL, OPTION_PARITY_CHECK, 0);
    set_port_option(channels, PORT_CHANNEL, OPTION_STOP_BITS, 0);
    set_port_option(channels, PORT_CHANNEL, OPTION_TRANSMIT_QUEUE, 1024);
    set_port_option(channels, PORT_CHANNEL, OPTION_RECEIVE_QUEUE, 2048);
    set_port_option(channels, PORT_CHANNEL, OPTION_CTS_FLOW, 0);
    set_port_option(channels, PORT_CHANNEL, OPTION_DSR_FLOW, 0);
    set_port_option(channels, PORT_CHANNEL, OPTION_DSR_SENSITIVITY, 0);
    set_port_option(channels, PORT_CHANNEL, OPTION_DTR_HANDSHAKE, 0);
    set_port_option(channels, PORT_CHANNEL, OPTION_DTR_LINE, 1);
    EXPECT_EQ(error_number(errors), 0);

    const OsHandle port = channel_handle(channels, PORT_CHANNEL);
    LineSettings settings;
    ASSERT_TRUE(get_line_settings(port, settings));
    EXPECT_EQ(settings.baud_rate, 19200U);
    EXPECT_EQ(settings.data_bits, 8);
    EXPECT_EQ(settings.parity, Parity::none);
    EXPECT_EQ(settings.stop_bits, StopBits::one);
    EXPECT_FALSE(settings.cts_flow || settings.dsr_flow || settings.dtr_flow);

    write_channel(channels, PORT_CHANNEL, "\r");
    const std::string menu = read_until("Enter choice: ");
    EXPECT_NE(menu.find("SETUP MENU"), std::string::npos) << menu;
    EXPECT_NE(menu.find("Enter choice: "), std::string::npos) << menu;
    EXPECT_EQ(bytes_waiting(channels, PORT_CHANNEL), 0);

    // Straight on the handle, as the downloads do.
    const std::uint8_t choice[] = {'6'};
    std::uint32_t written = 0;
    ASSERT_TRUE(write_port(port, choice, 1, written, std::chrono::milliseconds(100)));
    EXPECT_EQ(written, 1U);
    EXPECT_NE(read_until("Esc to cancel): ").find("Esc to cancel): "), std::string::npos);
    write_channel(channels, PORT_CHANNEL, "\x1b");
    read_until("Enter choice: ");

    EXPECT_EQ(error_number(errors), 0);
    close_channel(channels, PORT_CHANNEL);
    EXPECT_EQ(error_number(errors), 0);
    EXPECT_EQ(find_channel_handle(channels, PORT_CHANNEL), NO_OS_HANDLE);
}

TEST_F(RadioOnCom1, AClosedPortOpensAgainAndAClosedChannelIsNoChannel) {
    for (int round = 0; round < 2; ++round) {
        open_channel(channels, "Com1", PORT_CHANNEL);
        ASSERT_EQ(error_number(errors), 0) << round;
        open_channel(channels, "Com1", PORT_CHANNEL);
        EXPECT_EQ(error_number(errors), 55);
        clear_error(errors);
        close_all_channels(channels);
        EXPECT_EQ(error_number(errors), 0);
    }
    EXPECT_EQ(bytes_waiting(channels, PORT_CHANNEL), 0);
    EXPECT_EQ(error_number(errors), 52);
}

}  // namespace
}  // namespace zizuvu
