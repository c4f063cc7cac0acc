#pragma once
// The machine's serial devices, for telling a technician which adapter is which.
// Found in the kernel's device tree and in /dev/serial/by-id alone: no device is
// opened, so listing never disturbs a port another program is using (nor the
// system console).
//
//   SerialDevice          one device: its path, names, driver and what a USB adapter tells
//   list_serial_devices   every serial device of the machine, sorted by path
//   path_before           the listing's order: ttyUSB2 before ttyUSB10

#include <string>
#include <vector>

#include "ports/system_roots.hpp"

namespace zizuvu {

// What a device does not tell stays empty.
struct SerialDevice {
    std::string path;           // the device node: /dev/ttyUSB0
    std::string by_id;          // its name under /dev/serial/by-id, stable across plugging
    std::string driver;         // the kernel driver: ftdi_sio, cdc_acm, serial
    std::string usb_id;         // USB vendor:product, four hex digits each: 0403:6001
    std::string maker;          // the adapter's manufacturer string
    std::string product;        // the adapter's product string
    std::string serial_number;  // the adapter's serial number string
    std::string usb_port;       // where the adapter is plugged in: 1-2.3 is bus 1, port 2, then port 3
    std::string problem;        // why the entry is not usable: "points to X, which does not exist"

    friend bool operator==(const SerialDevice&, const SerialDevice&) = default;
};

// The devices with a driver behind them (legacy ports the kernel reserves but found
// no hardware for are left out), plus every by-id link, also one to nothing.
std::vector<SerialDevice> list_serial_devices(const SystemRoots& roots = {});

bool path_before(const std::string& left, const std::string& right);

}  // namespace zizuvu
