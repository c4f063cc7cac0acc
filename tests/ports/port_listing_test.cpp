#include "ports/port_listing.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

#include "tests/ports/fake_system.hpp"

namespace zizuvu {
namespace {

PortState state_of(PortCondition condition) {
    PortState state;
    state.condition = condition;
    if (condition == PortCondition::missing) state.error = ENOENT;
    return state;
}

TEST(PortListing, DevicesThenThePortsWithTheirStatesOneFactPerLine) {
    const std::vector<SerialDevice> devices = {
        {"/dev/ttyS0", "", "serial8250", "", "", "", "", "", ""},
        {"/dev/ttyUSB0", "usb-FTDI_FT232R_USB_UART_A10K3X9Q-if00-port0", "ftdi_sio", "0403:6001", "FTDI",
         "FT232R USB UART", "A10K3X9Q", "1-2", ""},
        {"/dev/ttyUSB7", "usb-1a86_USB_Serial-if00-port0", "", "", "", "", "", "",
         "points to /dev/ttyUSB7, which does not exist"},
    };
    const std::string too_long = "/dev/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0";
    PortState held = state_of(PortCondition::in_use);
    held.holders = {{4242, "picocom"}};
    PortState file = state_of(PortCondition::not_a_serial_device);
    file.kind = "a regular file";
    const std::vector<CheckedPort> ports = {
        {{"Com1", "/dev/ttyUSB0"}, state_of(PortCondition::present)},
        {{"Com2", "/dev/ttyUSB1"}, state_of(PortCondition::missing)},
        {{"Com3", "/dev/ttyS0"}, held},
        {{"Com4", "/home/tech/radio.hex"}, file},
        {{"Com5", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3X9Q-if00-port0"}, state_of(PortCondition::present)},
        {{"Com6", too_long}, state_of(PortCondition::missing)},
    };
    const std::string expected =
        "Serial devices (3):\n"
        "/dev/ttyS0    serial8250\n"
        "/dev/ttyUSB0  ftdi_sio    USB 0403:6001 at 1-2  serial A10K3X9Q\n"
        "    FTDI FT232R USB UART\n"
        "    by-id usb-FTDI_FT232R_USB_UART_A10K3X9Q-if00-port0\n"
        "/dev/ttyUSB7\n"
        "    by-id usb-1a86_USB_Serial-if00-port0\n"
        "    problem: points to /dev/ttyUSB7, which does not exist\n"
        "\n"
        "Ports of this program:\n"
        "Com1  /dev/ttyUSB0          present\n"
        "Com2  /dev/ttyUSB1          missing\n"
        "      no device at /dev/ttyUSB1: plugged in?\n"
        "Com3  /dev/ttyS0            in use by picocom (PID 4242)\n"
        "Com4  /home/tech/radio.hex  not a serial device (a regular file)\n"
        "      /home/tech/radio.hex is a regular file, not a serial port: check the path\n"
        "Com5  /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3X9Q-if00-port0  present\n"
        "Com6  /dev/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0\n"
        "      missing\n"
        "      no device at ...USB_to_UART_Bridge_Controller_0001-if00-port0: plugged in?\n";
    const std::string listing = format_port_listing(devices, ports);
    EXPECT_EQ(listing, expected);
    std::istringstream lines(listing);
    // Every line fits an 80-column terminal, but for a path too long to fit at all.
    for (std::string line; std::getline(lines, line);) {
        if (line.find(too_long) == std::string::npos) {
            EXPECT_LE(line.size(), 80U) << line;
        }
    }
}

TEST(PortListing, NoDeviceFoundIsSaidInOneLine) {
    const testing::FakeSystem machine;
    EXPECT_EQ(port_listing({}, machine.roots()), "No serial devices found: is the adapter plugged in?\n");
}

}  // namespace
}  // namespace zizuvu
