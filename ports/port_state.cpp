#include "ports/port_state.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>

#include "ports/port_access.hpp"
#include "ports/port_holders.hpp"
#include "ports/system_files.hpp"

namespace zizuvu {
namespace {

// Serial terminals by their fixed majors, for the nodes sysfs does not describe
// (pseudo-terminals) or a tree without sysfs: BSD pseudo-terminal slaves, 8250
// ports, Unix98 pseudo-terminals, USB modems, USB serial adapters, and the
// low-density serial ports of embedded boards.
struct MajorRange {
    unsigned first;
    unsigned last;
    unsigned first_minor;
};
constexpr std::array<MajorRange, 6> SERIAL_TERMINAL_MAJORS = {{
    {3, 3, 0}, {4, 4, 64}, {136, 143, 0}, {166, 166, 0}, {188, 188, 0}, {204, 204, 0},
}};
// Minors 0..63 of major 4 are the virtual consoles.

bool has_serial_major(dev_t device) {
    return std::any_of(SERIAL_TERMINAL_MAJORS.begin(), SERIAL_TERMINAL_MAJORS.end(), [device](const MajorRange& range) {
        return major(device) >= range.first && major(device) <= range.last && minor(device) >= range.first_minor;
    });
}

// What a character device is when it is no serial port, or empty when it is one.
// sysfs knows every device that has a driver model entry: a terminal with hardware
// behind it is serial, one without (a console, /dev/tty, /dev/ptmx) is not.
std::string character_device_kind(const struct stat& node, const std::string& path, const SystemRoots& roots) {
    const std::string numbers = std::to_string(major(node.st_rdev)) + ":" + std::to_string(minor(node.st_rdev));
    std::string folder = real_path(join_path(roots.sys, "dev/char/" + numbers));
    if (folder.empty()) {
        const std::string named = join_path(roots.sys, "class/tty/" + base_name(real_path(path)));
        if (read_attribute(join_path(named, "dev")) == numbers) folder = real_path(named);
    }
    if (folder.empty()) return has_serial_major(node.st_rdev) ? "" : "a device of another kind";
    const std::string subsystem = subsystem_of(folder);
    if (subsystem.empty()) return "a device of another kind";
    if (subsystem != "tty") return (std::string("aeiou").find(subsystem.front()) == std::string::npos ? "a " : "an ") + subsystem + " device";
    if (!exists_without_following(join_path(folder, "device"))) return "a virtual terminal";
    if (read_attribute(join_path(folder, "type")) == "0") return "a serial port with no hardware behind it";
    return "";
}

std::string node_kind(const struct stat& node, const std::string& path, const SystemRoots& roots) {
    if (S_ISCHR(node.st_mode)) return character_device_kind(node, path, roots);
    if (S_ISREG(node.st_mode)) return "a regular file";
    if (S_ISDIR(node.st_mode)) return "a directory";
    if (S_ISFIFO(node.st_mode)) return "a FIFO";
    if (S_ISSOCK(node.st_mode)) return "a socket";
    if (S_ISBLK(node.st_mode)) return "a block device";
    return "not a device";
}

PortState unreachable(const std::string& path, int error) {
    PortState state;
    state.error = error;
    state.condition = error == EACCES ? PortCondition::no_permission : PortCondition::missing;
    if (error == ENOENT) {
        const std::string written = link_target(path);
        if (!written.empty()) state.link_target = normal_path(join_path(parent_path(path), written));
    }
    return state;
}

// Everything but the search for holders, which is done for all ports at once:
// `node` is set when the port is a serial device this user may open.
PortState state_before_holders(const std::string& path, const SystemRoots& roots, std::optional<struct stat>& node) {
    struct stat found {};
    if (path.empty()) return unreachable(path, ENOENT);
    if (stat(path.c_str(), &found) != 0) return unreachable(path, errno);
    PortState state;
    state.kind = node_kind(found, path, roots);
    if (!state.kind.empty()) {
        state.condition = PortCondition::not_a_serial_device;
        return state;
    }
    state.access = port_access(found);
    // access() asks the permission question of the node without opening it.
    if (faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) != 0) {
        state.error = errno;
        state.condition = state.error == ENOENT ? PortCondition::missing : PortCondition::no_permission;
        return state;
    }
    state.condition = PortCondition::present;
    node = found;
    return state;
}

}  // namespace

PortState port_state(const std::string& path, const SystemRoots& roots) {
    return port_states({path}, roots).front();
}

std::vector<PortState> port_states(const std::vector<std::string>& paths, const SystemRoots& roots) {
    std::vector<PortState> states;
    std::vector<struct stat> nodes;
    std::vector<std::size_t> examined;
    for (const std::string& path : paths) {
        std::optional<struct stat> node;
        states.push_back(state_before_holders(path, roots, node));
        if (!node) continue;
        nodes.push_back(*node);
        examined.push_back(states.size() - 1);
    }
    std::vector<std::vector<PortHolder>> holders = find_port_holders(nodes, roots);
    for (std::size_t i = 0; i < examined.size(); ++i) {
        PortState& state = states[examined[i]];
        state.holders = std::move(holders[i]);
        if (!state.holders.empty()) state.condition = PortCondition::in_use;
    }
    return states;
}

}  // namespace zizuvu
