#pragma once
// A machine's sysfs, /dev and /proc laid out in a temporary folder the way the
// kernel lays them out (relative links and one-line attribute files), for the
// port library to look at instead of the real ones.
//
//   FakeSystem        the tree, removed again at the end of the test
//   roots             SystemRoots pointing into it
//   file / link / folder   one entry, by its path inside the tree
//   UsbAdapter, add_usb_adapter   a USB serial adapter, as usb-serial or as a modem (cdc_acm)
//   add_uart          an 8250 port with the given type (0: no hardware found)

#include <string>

#include "ports/system_roots.hpp"

namespace zizuvu::testing {

struct UsbAdapter {
    std::string tty;      // ttyUSB0, ttyACM0
    std::string driver;   // ftdi_sio, cdc_acm
    std::string usb_port; // 1-2
    std::string vendor;   // as idVendor holds it: 0403
    std::string product_id;
    std::string maker;    // an empty string: the adapter does not say
    std::string product;
    std::string serial;
};

class FakeSystem {
public:
    FakeSystem();
    ~FakeSystem();
    FakeSystem(const FakeSystem&) = delete;
    FakeSystem& operator=(const FakeSystem&) = delete;

    SystemRoots roots() const;
    std::string path(const std::string& inside) const;

    void file(const std::string& inside, const std::string& text) const;
    void folder(const std::string& inside) const;
    // `target` is inside the tree too; the link is written relative, as sysfs writes
    // it. A link already there stays.
    void link(const std::string& inside, const std::string& target) const;

    void add_usb_adapter(const UsbAdapter& adapter) const;
    void add_uart(const std::string& tty, int type) const;

private:
    std::string root_;
};

}  // namespace zizuvu::testing
