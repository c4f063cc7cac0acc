// The channel layer on real pseudo-terminal pairs: the test plays the radio on the
// master side and reads the port's settings from there.
#include "serial/serial_channel.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/port_io.hpp"
#include "platform/system_error_map.hpp"
#include "tests/support/pty_pair.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using testing::PtyPair;
using testing::ScopedEnvironment;

constexpr int N = PORT_CHANNEL;

class Channel : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(radio.ok()); }

    void open_port() {
        open_channel(table, "Com1", N);
        ASSERT_EQ(error_number(errors), 0);
    }

    // Waits (bounded) until the far end's bytes have reached the port's input.
    std::int32_t wait_until_waiting(std::int32_t count) {
        std::int32_t waiting = 0;
        for (int tries = 0; tries < 500 && (waiting = bytes_waiting(table, N)) < count; ++tries) {
            std::this_thread::sleep_for(2ms);
        }
        return waiting;
    }

    PtyPair radio;
    ScopedEnvironment port{"ZIZUVU_COM1", radio.port_path()};
    ErrorState errors;
    ChannelTable table{errors};
};

// A pseudo-terminal always works with 8 data bits and no parity (the kernel puts
// them back on every change); speed, stop bits, CTS flow and parity checking it keeps.
termios nine_six_two_stop_bits_with_cts() {
    termios mode{};
    mode.c_iflag = ICRNL | IXON | INPCK;
    mode.c_oflag = OPOST | ONLCR;
    mode.c_cflag = CS8 | CSTOPB | CRTSCTS | CREAD;
    mode.c_lflag = ICANON | ECHO | ISIG;
    cfsetospeed(&mode, B9600);
    cfsetispeed(&mode, B9600);
    return mode;
}

TEST_F(Channel, OpeningLeavesSpeedFramingAndFlowControlAndMakesTheLineRaw) {
    radio.set_far_end_mode(nine_six_two_stop_bits_with_cts());
    open_port();
    const termios mode = radio.far_end_mode();
    EXPECT_EQ(cfgetospeed(&mode), static_cast<speed_t>(B9600));
    EXPECT_EQ(mode.c_cflag & (CSTOPB | CRTSCTS), static_cast<tcflag_t>(CSTOPB | CRTSCTS));
    EXPECT_NE(mode.c_iflag & INPCK, 0U);
    EXPECT_EQ(mode.c_lflag & (ICANON | ECHO | ISIG), 0U);
    EXPECT_EQ(mode.c_iflag & (ICRNL | IXON), 0U);
    EXPECT_EQ(mode.c_oflag & OPOST, 0U);

    LineSettings settings;
    ASSERT_TRUE(get_line_settings(channel_handle(table, N), settings));
    EXPECT_EQ(settings.baud_rate, 9600U);
    EXPECT_EQ(settings.stop_bits, StopBits::two);
    EXPECT_TRUE(settings.cts_flow);
    EXPECT_TRUE(settings.parity_check);
}

TEST_F(Channel, EachSettingIsOneChangeOnTheLine) {
    radio.set_far_end_mode(nine_six_two_stop_bits_with_cts());
    open_port();
    set_port_option(table, N, OPTION_BAUD_RATE, 57600);
    termios mode = radio.far_end_mode();
    EXPECT_EQ(cfgetospeed(&mode), static_cast<speed_t>(B57600));
    EXPECT_EQ(mode.c_cflag & (CSTOPB | CRTSCTS), static_cast<tcflag_t>(CSTOPB | CRTSCTS));

    set_port_option(table, N, OPTION_CTS_FLOW, 0);
    mode = radio.far_end_mode();
    EXPECT_EQ(mode.c_cflag & CRTSCTS, 0U);
    EXPECT_NE(mode.c_cflag & CSTOPB, 0U);

    set_port_option(table, N, OPTION_PARITY_CHECK, 0);
    EXPECT_EQ(radio.far_end_mode().c_iflag & INPCK, 0U);
    set_port_option(table, N, OPTION_PARITY_CHECK, 1);
    EXPECT_NE(radio.far_end_mode().c_iflag & INPCK, 0U);

    // Data bits 8 also drop the second stop bit and parity checking.
    set_port_option(table, N, OPTION_DATA_BITS, 8);
    mode = radio.far_end_mode();
    EXPECT_EQ(mode.c_cflag & (CSIZE | CSTOPB), static_cast<tcflag_t>(CS8));
    EXPECT_EQ(mode.c_iflag & INPCK, 0U);

    set_port_option(table, N, OPTION_STOP_BITS, STOP_BITS_TWO);
    EXPECT_NE(radio.far_end_mode().c_cflag & CSTOPB, 0U);
    EXPECT_EQ(cfgetospeed(&mode), static_cast<speed_t>(B57600));
    EXPECT_EQ(error_number(errors), 0);
}

TEST_F(Channel, BufferSizesAndModemLinesAPseudoTerminalLacksCountAsDone) {
    open_port();
    set_port_option(table, N, OPTION_TRANSMIT_QUEUE, 1024);
    set_port_option(table, N, OPTION_RECEIVE_QUEUE, 2048);
    set_port_option(table, N, OPTION_DTR_HANDSHAKE, 0);
    set_port_option(table, N, OPTION_DTR_LINE, 1);
    EXPECT_EQ(error_number(errors), 0);
    LineSettings settings;
    ASSERT_TRUE(get_line_settings(channel_handle(table, N), settings));
    EXPECT_FALSE(settings.dtr_flow);
}

TEST_F(Channel, RefusedSettingsGiveFiveAndLeaveTheLineAsItWas) {
    radio.set_far_end_mode(nine_six_two_stop_bits_with_cts());
    open_port();
    const termios before = radio.far_end_mode();
    struct Refused {
        int code;
        std::int32_t value;
    };
    // 7 data bits are a real refusal: a pseudo-terminal cannot carry them and the
    // read-back shows it.
    for (const Refused refused :
         {Refused{OPTION_DATA_BITS, 7}, Refused{OPTION_DATA_BITS, 9}, Refused{OPTION_BAUD_RATE, 12345},
          Refused{OPTION_BAUD_RATE, -1}, Refused{OPTION_STOP_BITS, 3}, Refused{OPTION_DSR_FLOW, 1},
          Refused{OPTION_DTR_HANDSHAKE, 1}, Refused{OPTION_RECEIVE_QUEUE, -5}, Refused{2, 0}}) {
        set_port_option(table, N, refused.code, refused.value);
        EXPECT_EQ(error_number(errors), ERROR_SETTING_REFUSED) << refused.code << " " << refused.value;
        clear_error(errors);
    }
    const termios after = radio.far_end_mode();
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
}

TEST_F(Channel, BytesWrittenArriveAndBytesReceivedAreCountedAndReadExactly) {
    open_port();
    const std::string out("AT\r\n\x00\xff\x11\x13\x03 end", 13);
    write_channel(table, N, out);
    EXPECT_EQ(radio.receive(out.size()), out);

    std::string in;
    for (int i = 0; i < 600; ++i) in.push_back(static_cast<char>(i * 7));
    radio.send(in);
    ASSERT_EQ(wait_until_waiting(600), 600);
    EXPECT_EQ(read_channel(table, N, 600), in);
    EXPECT_EQ(bytes_waiting(table, N), 0);
    write_channel(table, N, "");
    EXPECT_EQ(error_number(errors), 0);
}

TEST_F(Channel, AReadTakesWhatIsThereAndNeverWaitsAndAReadOfZeroTouchesNothing) {
    open_port();
    radio.send("abc");
    ASSERT_EQ(wait_until_waiting(3), 3);
    EXPECT_EQ(read_channel(table, N, 0), "");
    EXPECT_EQ(bytes_waiting(table, N), 3);
    EXPECT_EQ(read_channel(table, N, 10), "abc");
    EXPECT_EQ(read_channel(table, N, 10), "");
    EXPECT_EQ(error_number(errors), 0);
}

TEST_F(Channel, EveryOperationOnAChannelThatIsNotOpenGivesFiftyTwo) {
    auto expect_52 = [this](const char* what) {
        EXPECT_EQ(error_number(errors), ERROR_BAD_CHANNEL) << what;
        clear_error(errors);
    };
    set_port_option(table, N, OPTION_BAUD_RATE, 19200);
    expect_52("set_port_option");
    EXPECT_EQ(bytes_waiting(table, N), 0);
    expect_52("bytes_waiting");
    EXPECT_EQ(read_channel(table, N, 0), "");
    expect_52("read_channel");
    write_channel(table, N, "x");
    expect_52("write_channel");
    EXPECT_EQ(channel_handle(table, N), NO_OS_HANDLE);
    expect_52("channel_handle");
    open_channel(table, "Com1", -1);
    expect_52("open_channel -1");
    EXPECT_EQ(find_channel_handle(table, N), NO_OS_HANDLE);
    EXPECT_EQ(error_number(errors), 0);
}

TEST_F(Channel, ClosingAChannelThatIsNotOpenSetsNothing) {
    close_channel(table, N);
    close_channel(table, 7);
    close_channel(table, -3);
    close_all_channels(table);
    EXPECT_EQ(error_number(errors), 0);

    open_port();
    close_channel(table, N);
    EXPECT_EQ(error_number(errors), 0);
    EXPECT_EQ(find_channel_handle(table, N), NO_OS_HANDLE);
    close_channel(table, N);
    EXPECT_EQ(error_number(errors), 0);
    // Closed means released: the same port opens again.
    open_port();
}

TEST_F(Channel, ANumberAlreadyOpenGivesFiftyFiveAndKeepsTheFirstChannel) {
    open_port();
    const OsHandle first = channel_handle(table, N);
    open_channel(table, "Com1", N);
    EXPECT_EQ(error_number(errors), ERROR_CHANNEL_ALREADY_OPEN);
    EXPECT_EQ(channel_handle(table, N), first);
    write_channel(table, N, "still");
    EXPECT_EQ(radio.receive(5), "still");
}

TEST_F(Channel, BadNamesGiveSixtyFourAndOpenNothing) {
    for (std::string_view name :
         {std::string_view(""), std::string_view("Com*"), std::string_view("C?m1"), std::string_view("*")}) {
        open_channel(table, name, N);
        EXPECT_EQ(error_number(errors), ERROR_BAD_NAME) << name;
        clear_error(errors);
        EXPECT_EQ(find_channel_handle(table, N), NO_OS_HANDLE);
    }
    open_channel(table, std::string(256, 'C'), N);
    EXPECT_EQ(error_number(errors), ERROR_BAD_NAME);
}

TEST_F(Channel, AMissingPortGivesFiftyThreeAndNoFileIsCreated) {
    char directory[] = "/tmp/zizuvu-missing-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string path = std::string(directory) + "/Com1";
    ScopedEnvironment missing("ZIZUVU_COM1", path);
    open_channel(table, "Com1", N);
    EXPECT_EQ(error_number(errors), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(find_channel_handle(table, N), NO_OS_HANDLE);
    struct stat info {};
    EXPECT_NE(stat(path.c_str(), &info), 0);
    rmdir(directory);
}

TEST_F(Channel, SomethingThatIsNotATerminalOpensButItsLineSettingsFailWithTheSystemsReason) {
    for (const char* path : {"/dev/null", "regular"}) {
        char file[] = "/tmp/zizuvu-file-XXXXXX";
        const int fd = mkstemp(file);
        ASSERT_GE(fd, 0);
        close(fd);
        ScopedEnvironment not_a_port("ZIZUVU_COM1", std::string(path) == "regular" ? std::string(file) : path);
        open_channel(table, "Com1", N);
        ASSERT_EQ(error_number(errors), 0) << path;
        set_port_option(table, N, OPTION_BAUD_RATE, 19200);
        EXPECT_EQ(error_number(errors), error_number_for_errno(ENOTTY)) << path;
        clear_error(errors);
        set_port_option(table, N, OPTION_TRANSMIT_QUEUE, 1024);
        EXPECT_EQ(error_number(errors), error_number_for_errno(ENOTTY)) << path;
        clear_error(errors);
        close_channel(table, N);
        EXPECT_EQ(error_number(errors), 0);
        unlink(file);
    }
}

TEST_F(Channel, AHungUpFarEndMakesBytesWaitingFailEveryTimeWithoutBlocking) {
    open_port();
    radio.send("xy");
    ASSERT_EQ(wait_until_waiting(2), 2);
    radio.hang_up();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(bytes_waiting(table, N), 0);
        EXPECT_NE(error_number(errors), 0);
        EXPECT_NE(error_number(errors), ERROR_LINE_FAULT);
        clear_error(errors);
    }
    EXPECT_EQ(read_channel(table, N, 2), "");
    EXPECT_EQ(error_number(errors), ERROR_DEVICE_IO);
    clear_error(errors);
    write_channel(table, N, "z");
    EXPECT_EQ(error_number(errors), ERROR_DEVICE_IO);
    clear_error(errors);
    close_all_channels(table);
    EXPECT_EQ(find_channel_handle(table, N), NO_OS_HANDLE);
}

TEST_F(Channel, LowLatencyOnAPseudoTerminalIsAQuietNoOp) {
    open_port();
    request_low_latency(channel_handle(table, N));
    write_channel(table, N, "ok");
    EXPECT_EQ(radio.receive(2), "ok");
    close_channel(table, N);
    EXPECT_EQ(error_number(errors), 0);
}

TEST(ChannelThreads, TwoThreadsOpeningUsingAndClosingTheirOwnChannelsDoNotDisturbEachOther) {
    PtyPair first;
    PtyPair second;
    ASSERT_TRUE(first.ok() && second.ok());
    ScopedEnvironment com1("ZIZUVU_COM1", first.port_path());
    ScopedEnvironment com2("ZIZUVU_COM2", second.port_path());
    ErrorState errors;
    ChannelTable table(errors);
    std::atomic<int> failures{0};
    auto work = [&](const char* name, int number, PtyPair& radio) {
        for (int round = 0; round < 200; ++round) {
            open_channel(table, name, number);
            const std::string text = std::to_string(round);
            write_channel(table, number, text);
            if (radio.receive(text.size()) != text || bytes_waiting(table, number) != 0) ++failures;
            close_channel(table, number);
            if (find_channel_handle(table, number) != NO_OS_HANDLE) ++failures;
        }
    };
    std::thread one(work, "Com1", 1, std::ref(first));
    std::thread two(work, "Com2", 2, std::ref(second));
    one.join();
    two.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(error_number(errors), 0);
}

}  // namespace
}  // namespace zizuvu
