#include "tests/ports/fake_system.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace zizuvu::testing {

namespace fs = std::filesystem;

namespace {

const std::string PCI_USB = "devices/pci0000:00/0000:00:14.0/usb1/";

}  // namespace

FakeSystem::FakeSystem() {
    std::string pattern = (fs::temp_directory_path() / "zizuvu-ports-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) root_ = pattern;
    EXPECT_FALSE(root_.empty()) << "no temporary folder";
    for (const char* top : {"sys/class/tty", "sys/devices", "dev", "proc"}) folder(top);
}

FakeSystem::~FakeSystem() {
    std::error_code ignored;
    if (!root_.empty()) fs::remove_all(root_, ignored);
}

SystemRoots FakeSystem::roots() const { return SystemRoots{path("sys"), path("dev"), path("proc")}; }

std::string FakeSystem::path(const std::string& inside) const { return root_ + "/" + inside; }

void FakeSystem::folder(const std::string& inside) const { fs::create_directories(path(inside)); }

void FakeSystem::file(const std::string& inside, const std::string& text) const {
    fs::create_directories(fs::path(path(inside)).parent_path());
    std::ofstream(path(inside)) << text << "\n";
}

void FakeSystem::link(const std::string& inside, const std::string& target) const {
    const fs::path at(path(inside));
    fs::create_directories(at.parent_path());
    // Devices that share a parent (two ports of one controller) write its links once.
    if (fs::is_symlink(at)) return;
    fs::create_symlink(fs::path(path(target)).lexically_relative(at.parent_path()), at);
}

// usb-serial drivers put a port device between the interface and the tty; cdc_acm
// hangs the tty on the interface itself, and the interface has the driver.
void FakeSystem::add_usb_adapter(const UsbAdapter& adapter) const {
    const std::string usb_device = PCI_USB + adapter.usb_port;
    const std::string interface = usb_device + "/" + adapter.usb_port + ":1.0";
    const bool modem = adapter.driver == "cdc_acm";
    const std::string device = modem ? interface : interface + "/" + adapter.tty;
    const std::string tty = device + "/tty/" + adapter.tty;
    const std::string bus = modem ? "usb" : "usb-serial";
    folder("sys/bus/" + bus + "/drivers/" + adapter.driver);
    link("sys/" + device + "/driver", "sys/bus/" + bus + "/drivers/" + adapter.driver);
    file("sys/" + usb_device + "/idVendor", adapter.vendor);
    file("sys/" + usb_device + "/idProduct", adapter.product_id);
    const std::pair<const char*, const std::string*> strings[] = {
        {"manufacturer", &adapter.maker}, {"product", &adapter.product}, {"serial", &adapter.serial}};
    for (const auto& [name, value] : strings) {
        if (!value->empty()) file("sys/" + usb_device + "/" + name, *value);
    }
    file("sys/" + interface + "/bInterfaceNumber", "00");
    const std::string major = modem ? "166" : "188";
    file("sys/" + tty + "/dev", major + ":" + adapter.tty.substr(adapter.tty.find_first_of("0123456789")));
    link("sys/" + tty + "/device", "sys/" + device);
    link("sys/" + tty + "/subsystem", "sys/class/tty");
    link("sys/class/tty/" + adapter.tty, "sys/" + tty);
    file("dev/" + adapter.tty, "");
}

// Since Linux 6.3 the tty hangs below the serial core's controller and port devices.
void FakeSystem::add_uart(const std::string& tty, int type) const {
    const std::string number = tty.substr(4);
    const std::string platform = "devices/platform/serial8250";
    const std::string controller = platform + "/serial8250:0";
    const std::string port = controller + "/serial8250:0." + number;
    folder("sys/bus/platform/drivers/serial8250");
    link("sys/" + platform + "/driver", "sys/bus/platform/drivers/serial8250");
    link("sys/" + platform + "/subsystem", "sys/bus/platform");
    for (const auto& [device, driver] : {std::pair{controller, "ctrl"}, std::pair{port, "port"}}) {
        folder(std::string("sys/bus/serial-base/drivers/") + driver);
        link("sys/" + device + "/driver", std::string("sys/bus/serial-base/drivers/") + driver);
        link("sys/" + device + "/subsystem", "sys/bus/serial-base");
    }
    const std::string node = port + "/tty/" + tty;
    file("sys/" + node + "/dev", "4:" + std::to_string(64 + std::stoi(number)));
    file("sys/" + node + "/type", std::to_string(type));
    link("sys/" + node + "/device", "sys/" + port);
    link("sys/" + node + "/subsystem", "sys/class/tty");
    link("sys/class/tty/" + tty, "sys/" + node);
}

}  // namespace zizuvu::testing
