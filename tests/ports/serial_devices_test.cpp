#include "ports/serial_devices.hpp"

#include <gtest/gtest.h>

#include <ostream>

#include "tests/ports/fake_system.hpp"

namespace zizuvu {

void PrintTo(const SerialDevice& device, std::ostream* out) {
    *out << "{" << device.path << " by-id=" << device.by_id << " driver=" << device.driver << " usb=" << device.usb_id
         << " at " << device.usb_port << " maker=" << device.maker << " product=" << device.product
         << " serial=" << device.serial_number << " problem=" << device.problem << "}";
}

namespace {

using testing::FakeSystem;
using testing::UsbAdapter;

const UsbAdapter FTDI{"ttyUSB0", "ftdi_sio", "1-2", "0403", "6001", "FTDI", "FT232R USB UART", "A10K3X9Q"};
const UsbAdapter NO_SERIAL{"ttyUSB10", "pl2303", "1-3.4", "067B", "2303", "Prolific Technology Inc.",
                           "USB-Serial Controller", ""};
const UsbAdapter MODEM{"ttyACM0", "cdc_acm", "1-4", "2341", "43", "", "Uno", "7573530"};

TEST(SerialDevices, AdaptersPortsAndByIdLinksAreListedInPathOrder) {
    const FakeSystem machine;
    for (const UsbAdapter& adapter : {FTDI, NO_SERIAL, MODEM}) machine.add_usb_adapter(adapter);
    machine.add_uart("ttyS0", 4);
    machine.add_uart("ttyS1", 0);
    machine.link("sys/class/tty/tty0", "sys/devices/virtual/tty/tty0");
    machine.folder("sys/devices/virtual/tty/tty0");
    const std::string ftdi_id = "usb-FTDI_FT232R_USB_UART_A10K3X9Q-if00-port0";
    const std::string gone_id = "usb-1a86_USB_Serial-if00-port0";
    machine.link("dev/serial/by-id/" + ftdi_id, "dev/ttyUSB0");
    machine.link("dev/serial/by-id/" + gone_id, "dev/ttyUSB7");
    const std::string dev = machine.path("dev/");

    const std::vector<SerialDevice> expected = {
        {dev + "ttyACM0", "", "cdc_acm", "2341:0043", "", "Uno", "7573530", "1-4", ""},
        {dev + "ttyS0", "", "serial8250", "", "", "", "", "", ""},
        {dev + "ttyUSB0", ftdi_id, "ftdi_sio", "0403:6001", "FTDI", "FT232R USB UART", "A10K3X9Q", "1-2", ""},
        {dev + "ttyUSB7", gone_id, "", "", "", "", "", "", "points to " + dev + "ttyUSB7, which does not exist"},
        {dev + "ttyUSB10", "", "pl2303", "067b:2303", "Prolific Technology Inc.", "USB-Serial Controller", "", "1-3.4", ""},
    };
    EXPECT_EQ(list_serial_devices(machine.roots()), expected);
}

TEST(SerialDevices, AMachineWithoutSerialDevicesOrWithoutSysfsListsNothing) {
    const FakeSystem machine;
    EXPECT_TRUE(list_serial_devices(machine.roots()).empty());
    EXPECT_TRUE(list_serial_devices(SystemRoots{machine.path("none"), machine.path("none"), machine.path("none")}).empty());
}

TEST(SerialDevices, StringsWithControlCharactersCannotReachTheTerminal) {
    const FakeSystem machine;
    machine.add_usb_adapter(UsbAdapter{"ttyUSB0", "ch341", "1-2", "1a86", "7523", "QinHeng\x1b[2J", "USB\tSerial", ""});
    const std::vector<SerialDevice> devices = list_serial_devices(machine.roots());
    ASSERT_EQ(devices.size(), 1U);
    EXPECT_EQ(devices[0].maker, "QinHeng?[2J");
    EXPECT_EQ(devices[0].product, "USB?Serial");
}

}  // namespace
}  // namespace zizuvu
