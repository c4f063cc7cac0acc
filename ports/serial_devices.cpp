#include "ports/serial_devices.hpp"

#include <algorithm>
#include <cctype>
#include <cstddef>

#include "ports/system_files.hpp"

namespace zizuvu {
namespace {

// The 8250 driver makes a ttyS node for every legacy port it might have; a port
// where it found no UART has type 0 (PORT_UNKNOWN).
bool is_legacy_port(const std::string& name) {
    if (name.size() <= 4 || name.compare(0, 4, "ttyS") != 0) return false;
    return std::all_of(name.begin() + 4, name.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

bool inside(const std::string& boundary, const std::string& path) {
    return !boundary.empty() && path.size() > boundary.size() && path.compare(0, boundary.size(), boundary) == 0 &&
           path[boundary.size()] == '/';
}

// Since Linux 6.3 a UART's tty hangs below two devices of the serial core's own
// bus, whose drivers ("port", "ctrl") say nothing; the driver that found the
// hardware is on the first device above them.
std::string driver_of(std::string device_dir, const std::string& devices_root) {
    while (subsystem_of(device_dir) == "serial-base" && inside(devices_root, parent_path(device_dir))) {
        device_dir = parent_path(device_dir);
    }
    return base_name(link_target(join_path(device_dir, "driver")));
}

// A USB id as the kernel writes it ("0403"), checked: anything else is not shown.
std::string usb_number(const std::string& text) {
    if (text.empty() || text.size() > 4) return {};
    std::string digits;
    for (const char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)) == 0) return {};
        digits += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return std::string(4 - digits.size(), '0') + digits;
}

// The strings sit on the USB device, above the interface the tty belongs to (and,
// for usb-serial drivers, above the port device between them).
void add_usb_details(SerialDevice& device, const std::string& device_dir, const std::string& devices_root) {
    for (std::string dir = device_dir; inside(devices_root, dir); dir = parent_path(dir)) {
        if (!exists_without_following(join_path(dir, "idVendor"))) continue;
        std::string vendor = usb_number(read_attribute(join_path(dir, "idVendor")));
        const std::string product = usb_number(read_attribute(join_path(dir, "idProduct")));
        if (!vendor.empty() && !product.empty()) device.usb_id = vendor.append(":").append(product);
        device.maker = read_attribute(join_path(dir, "manufacturer"));
        device.product = read_attribute(join_path(dir, "product"));
        device.serial_number = read_attribute(join_path(dir, "serial"));
        device.usb_port = base_name(dir);
        return;
    }
}

// sysfs writes a '/' in a device name as '!'.
std::string node_name(std::string class_name) {
    std::replace(class_name.begin(), class_name.end(), '!', '/');
    return class_name;
}

std::vector<SerialDevice> devices_in_sysfs(const SystemRoots& roots) {
    std::vector<SerialDevice> devices;
    const std::string devices_root = real_path(join_path(roots.sys, "devices"));
    const std::string class_folder = join_path(roots.sys, "class/tty");
    for (const std::string& name : directory_entries(class_folder)) {
        const std::string class_dir = join_path(class_folder, name);
        // Virtual terminals, pseudo-terminals and the console have no device behind them.
        if (!exists_without_following(join_path(class_dir, "device"))) continue;
        if (is_legacy_port(name) && read_attribute(join_path(class_dir, "type")) == "0") continue;
        SerialDevice device;
        device.path = join_path(roots.dev, node_name(name));
        const std::string device_dir = real_path(join_path(class_dir, "device"));
        if (!device_dir.empty()) {
            device.driver = driver_of(device_dir, devices_root);
            add_usb_details(device, device_dir, devices_root);
        }
        devices.push_back(device);
    }
    return devices;
}

// The same node, however it was named.
std::string node_key(const std::string& path) {
    const std::string resolved = real_path(path);
    return resolved.empty() ? normal_path(path) : resolved;
}

void add_by_id_links(std::vector<SerialDevice>& devices, const SystemRoots& roots) {
    const std::string folder = join_path(roots.dev, "serial/by-id");
    for (const std::string& name : directory_entries(folder)) {
        const std::string link = join_path(folder, name);
        std::string node = real_path(link);
        std::string problem;
        if (node.empty()) {
            const std::string written = link_target(link);
            node = written.empty() ? link : normal_path(join_path(folder, written));
            problem = "points to " + node + ", which does not exist";
        }
        const auto known = std::find_if(devices.begin(), devices.end(),
                                        [&](const SerialDevice& device) { return node_key(device.path) == node; });
        if (known == devices.end()) {
            SerialDevice device;
            device.path = node;
            device.by_id = name;
            device.problem = problem;
            devices.push_back(device);
            continue;
        }
        if (known->by_id.empty()) known->by_id = name;
        if (known->problem.empty()) known->problem = problem;
    }
}

}  // namespace

bool path_before(const std::string& left, const std::string& right) {
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < left.size() && j < right.size()) {
        if (digit(left[i]) && digit(right[j])) {
            std::size_t end_i = i;
            std::size_t end_j = j;
            while (end_i < left.size() && digit(left[end_i])) ++end_i;
            while (end_j < right.size() && digit(right[end_j])) ++end_j;
            // Numbers compare by value: leading zeros aside, the longer one is larger.
            const std::string a = left.substr(i, end_i - i);
            const std::string b = right.substr(j, end_j - j);
            const std::string trimmed_a = a.substr(std::min(a.find_first_not_of('0'), a.size()));
            const std::string trimmed_b = b.substr(std::min(b.find_first_not_of('0'), b.size()));
            if (trimmed_a.size() != trimmed_b.size()) return trimmed_a.size() < trimmed_b.size();
            if (trimmed_a != trimmed_b) return trimmed_a < trimmed_b;
            i = end_i;
            j = end_j;
            continue;
        }
        if (left[i] != right[j]) return left[i] < right[j];
        ++i;
        ++j;
    }
    // Equal so far: the one that ended first comes first.
    const bool left_ended = i == left.size();
    const bool right_ended = j == right.size();
    if (left_ended != right_ended) return left_ended;
    return left < right;
}

std::vector<SerialDevice> list_serial_devices(const SystemRoots& roots) {
    std::vector<SerialDevice> devices = devices_in_sysfs(roots);
    add_by_id_links(devices, roots);
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return path_before(a.path, b.path); });
    return devices;
}

}  // namespace zizuvu
