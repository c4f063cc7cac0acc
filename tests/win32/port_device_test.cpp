#include <gtest/gtest.h>

#include "serial/error_state.hpp"
#include "platform/port_io.hpp"
#include "serial/serial_channel.hpp"
#include "platform/system_error_map.hpp"
#include "platform/win32/port_device_name.hpp"
#include "platform/win32/windows_api.hpp"

namespace zizuvu {
namespace {

TEST(Win32PortNames, ComOneToNineAreDevicesAndOtherNamesArePaths) {
    EXPECT_EQ(device_name_for_port("Com1"), "\\\\.\\COM1");
    EXPECT_EQ(device_name_for_port("cOM9"), "\\\\.\\COM9");
    EXPECT_EQ(device_name_for_port("Com0"), "Com0");
    EXPECT_EQ(device_name_for_port("Com10"), "Com10");
    EXPECT_EQ(device_name_for_port("C:\\radio.bin"), "C:\\radio.bin");
}

TEST(Win32SystemErrors, CodesMapToTheNumbersTheStatusRowShows) {
    EXPECT_EQ(error_number_for_win32_code(2), 53);   // no such port
    EXPECT_EQ(error_number_for_win32_code(5), 70);   // port held elsewhere
    EXPECT_EQ(error_number_for_win32_code(32), 70);  // sharing violation
    EXPECT_EQ(error_number_for_win32_code(3), 76);
    EXPECT_EQ(error_number_for_win32_code(0), 51);
    EXPECT_EQ(error_number_for_win32_code(50), 75);
    EXPECT_EQ(error_number_for_win32_code(1167), 75);  // device not connected
}

// The test prefix points COM2..COM9 at paths that do not exist (tools/wine-run).
TEST(Win32PortOpen, AMissingPortIsErrorFiftyThreeAndAddsNoChannel) {
    EXPECT_EQ(open_port("Com5"), NO_OS_HANDLE);
    EXPECT_EQ(last_port_error(), 53);

    ErrorState errors;
    ChannelTable channels(errors);
    open_channel(channels, "Com7", PORT_CHANNEL);
    EXPECT_EQ(error_number(errors), 53);
    EXPECT_EQ(find_channel_handle(channels, PORT_CHANNEL), NO_OS_HANDLE);
}

TEST(Win32PortOpen, AFileNameNeverCreatesAFile) {
    const char* name = "zizuvu-no-such-port.bin";
    EXPECT_EQ(open_port(name), NO_OS_HANDLE);
    EXPECT_EQ(last_port_error(), 53);
    EXPECT_EQ(GetFileAttributesA(name), INVALID_FILE_ATTRIBUTES);
}

TEST(Win32PortCalls, AClosedHandleFailsWithoutWaiting) {
    LineSettings settings;
    EXPECT_FALSE(get_line_settings(NO_OS_HANDLE, settings));
    PortStatus status;
    EXPECT_FALSE(read_port_status(NO_OS_HANDLE, status));
    std::uint8_t byte = 0;
    std::uint32_t got = 7;
    EXPECT_FALSE(read_port(NO_OS_HANDLE, &byte, 1, got));
    EXPECT_EQ(got, 0U);
}

}  // namespace
}  // namespace zizuvu
