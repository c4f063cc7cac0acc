// The download link on a pseudo-terminal pair: what the eleven settings leave on
// the line, the speed switch, the input discard, and the two failure screens.
#include "download/download_link.hpp"

#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/system_error_map.hpp"
#include "tests/support/program_rig.hpp"
#include "tests/support/pty_pair.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using testing::ProgramRig;
using testing::PtyPair;
using testing::ScopedEnvironment;

class Link : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(radio.ok());
        termios mode = radio.far_end_mode();
        // Whatever an earlier user left: 9600 baud, two stop bits, CTS flow and
        // parity checking, raw (a pseudo-terminal has only 8 bits without parity).
        cfmakeraw(&mode);
        mode.c_cflag |= CSTOPB | CRTSCTS;
        mode.c_iflag |= INPCK;
        cfsetospeed(&mode, B9600);
        cfsetispeed(&mode, B9600);
        radio.set_far_end_mode(mode);
    }

    Session& program() { return rig.session; }

    void wait_until_waiting(std::int32_t count) {
        for (int tries = 0; tries < 500 && bytes_waiting(program().channels, PORT_CHANNEL) < count; ++tries) {
            std::this_thread::sleep_for(2ms);
        }
    }

    PtyPair radio;
    ScopedEnvironment port{"ZIZUVU_COM1", radio.port_path()};
    ProgramRig rig;
    DownloadLink link;
};

TEST_F(Link, TheElevenSettingsGive19200EightNoneOneWithoutFlowControl) {
    ASSERT_TRUE(open_download_link(program(), link));
    const termios mode = radio.far_end_mode();
    EXPECT_EQ(cfgetospeed(&mode), static_cast<speed_t>(B19200));
    EXPECT_EQ(cfgetispeed(&mode), static_cast<speed_t>(B19200));
    EXPECT_EQ(mode.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(mode.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0U);
    EXPECT_EQ(mode.c_iflag & (INPCK | IXON | IXOFF), 0U);
    EXPECT_EQ(error_number(program().errors), 0);
    EXPECT_EQ(program().error_count, 0);

    EXPECT_EQ(link.port_handle, channel_handle(program().channels, PORT_CHANNEL));
    EXPECT_EQ(link.saved_line_settings.baud_rate, 19200U);
    EXPECT_EQ(link.saved_line_settings.data_bits, 8);
    EXPECT_EQ(link.saved_line_settings.parity, Parity::none);
    EXPECT_EQ(link.saved_line_settings.stop_bits, StopBits::one);
    EXPECT_FALSE(link.saved_line_settings.cts_flow || link.saved_line_settings.dtr_flow);
}

TEST_F(Link, TheBaudRateOfTheTerminalDoesNotMatterToADownload) {
    program().port_settings.baud_rate = 115200;
    ASSERT_TRUE(open_download_port(program()));
    const termios mode = radio.far_end_mode();
    EXPECT_EQ(cfgetospeed(&mode), static_cast<speed_t>(B19200));
}

TEST_F(Link, InputWaitingFromBeforeTheOpenIsThrownAway) {
    radio.send("stale bytes");
    // A pseudo-terminal hands what its far end wrote on from a work queue, a moment
    // later; on a loaded machine that moment can outlast the open.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(open_download_link(program(), link));
    EXPECT_EQ(bytes_waiting(program().channels, PORT_CHANNEL), 0);
    EXPECT_EQ(radio.receive(1, 100ms), "");
    radio.send("fresh");
    wait_until_waiting(5);
    EXPECT_EQ(read_channel(program().channels, PORT_CHANNEL, 5), "fresh");
}

TEST_F(Link, TheSpeedSwitchMovesOnlyTheSpeed) {
    ASSERT_TRUE(open_download_link(program(), link));
    switch_to_download_speed(program(), link, SPEED_CODE_HIGH);
    termios mode = radio.far_end_mode();
    EXPECT_EQ(cfgetospeed(&mode), static_cast<speed_t>(B115200));
    EXPECT_EQ(mode.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8));
    EXPECT_EQ(link.speed_code, SPEED_CODE_HIGH);
    EXPECT_EQ(sched_getscheduler(0) & ~SCHED_RESET_ON_FORK, SCHED_OTHER);

    switch_to_download_speed(program(), link, SPEED_CODE_NORMAL);
    mode = radio.far_end_mode();
    EXPECT_EQ(cfgetospeed(&mode), static_cast<speed_t>(B38400));
    EXPECT_EQ(link.saved_line_settings.baud_rate, 38400U);

    switch_to_download_speed(program(), link, 0);
    mode = radio.far_end_mode();
    EXPECT_EQ(cfgetospeed(&mode), static_cast<speed_t>(B38400));
    EXPECT_EQ(error_number(program().errors), 0);
}

TEST_F(Link, ASpeedTheDriverRefusesIsErrorFiveShownAtOnceAndTheLineStaysAsItWas) {
    ASSERT_TRUE(open_download_link(program(), link));
    switch_to_download_speed(program(), link, 7);  // 460800 / 7: no line runs at that speed
    EXPECT_EQ(rig.row(51).substr(64, 12), "  1   5   0 ");
    EXPECT_EQ(error_number(program().errors), 0);
    const termios mode = radio.far_end_mode();
    EXPECT_EQ(cfgetospeed(&mode), static_cast<speed_t>(B19200));
    EXPECT_EQ(sched_getscheduler(0) & ~SCHED_RESET_ON_FORK, SCHED_OTHER) << "the priority is back to normal";
}

TEST_F(Link, DiscardWithThresholdOneKeepsOneByteAndDropsTwo) {
    ASSERT_TRUE(open_download_link(program(), link));
    radio.send("A");
    wait_until_waiting(1);
    discard_waiting_input(program(), 1);
    EXPECT_EQ(bytes_waiting(program().channels, PORT_CHANNEL), 1);
    radio.send("B");
    wait_until_waiting(2);
    discard_waiting_input(program(), 1);
    EXPECT_EQ(bytes_waiting(program().channels, PORT_CHANNEL), 0);
    radio.send("C");
    wait_until_waiting(1);
    discard_waiting_input(program(), 0);
    EXPECT_EQ(bytes_waiting(program().channels, PORT_CHANNEL), 0);
    EXPECT_EQ(error_number(program().errors), 0);
}

TEST_F(Link, AnErrorLeftFromEarlierIsShownButDoesNotFailAGoodOpen) {
    record_error(program().errors, ERROR_LINE_FAULT);
    ASSERT_TRUE(open_download_link(program(), link));
    EXPECT_EQ(program().error_count, 1);
    EXPECT_EQ(rig.row(51).substr(64, 12), "  1  57   0 ");
    EXPECT_FALSE(testing::screen_shows(rig.screen(), "Can't Open Com Port"));
    EXPECT_NE(find_channel_handle(program().channels, PORT_CHANNEL), NO_OS_HANDLE);
}

class FailedLink : public ::testing::Test {
protected:
    // Opens with the given device behind Com1; returns the open's answer.
    bool open_with(const std::string& path) {
        ScopedEnvironment port("ZIZUVU_COM1", path);
        locate(rig.screen(), 5, 1);
        return open_download_link(rig.session, link);
    }

    ProgramRig rig;
    DownloadLink link;
};

TEST_F(FailedLink, AMissingPortSaysCantOpenWithFiftyThreeAndClosesEverything) {
    EXPECT_FALSE(open_with("/nonexistent/zizuvu-test-port"));
    EXPECT_EQ(rig.row(5).substr(0, 19), "Can't Open Com Port");
    EXPECT_EQ(rig.row(51).substr(64, 12), "  1  53   0 ");
    EXPECT_EQ(cursor_row(rig.screen()), 6);
    EXPECT_EQ(rig.keys.beeps(), 2);  // the indicator's and the message's
    EXPECT_GE(rig.keys.presents(), 1);
    EXPECT_EQ(error_number(rig.session.errors), 0);
    EXPECT_EQ(find_channel_handle(rig.session.channels, PORT_CHANNEL), NO_OS_HANDLE);
}

TEST_F(FailedLink, SomethingThatIsNotAPortSaysErrorOpeningWithTheSystemsReason) {
    char file[] = "/tmp/zizuvu-not-a-port-XXXXXX";
    const int fd = mkstemp(file);
    ASSERT_GE(fd, 0);
    close(fd);
    for (const std::string& path : {std::string("/dev/null"), std::string(file)}) {
        ProgramRig fresh;
        DownloadLink fresh_link;
        ScopedEnvironment port("ZIZUVU_COM1", path);
        locate(fresh.screen(), 5, 1);
        EXPECT_FALSE(open_download_link(fresh.session, fresh_link)) << path;
        EXPECT_EQ(fresh.row(5).substr(0, 22), "Error Opening Com Port") << path;
        EXPECT_FALSE(testing::screen_shows(fresh.screen(), "Can't Open"));
        char expected[13];
        std::snprintf(expected, sizeof expected, "  1 %3d   0 ", error_number_for_errno(ENOTTY));
        EXPECT_EQ(fresh.row(51).substr(64, 12), expected) << path;
        EXPECT_EQ(fresh.keys.beeps(), 2);
        EXPECT_EQ(find_channel_handle(fresh.session.channels, PORT_CHANNEL), NO_OS_HANDLE);
        EXPECT_EQ(fresh_link.port_handle, NO_OS_HANDLE);
    }
    unlink(file);
}

}  // namespace
}  // namespace zizuvu
