#pragma once
// Which other processes hold a device: the locks table and every process's open
// files, read from /proc. Seeing other users' open files needs the rights to trace
// them; locks are seen for everyone.
//
//   LockEntry          one held lock of /proc/locks: the holder and the locked file
//   parse_lock_line    a line of /proc/locks, or nothing for a waiter or a line it cannot read
//   find_port_holders  for each device, the processes other than this one that lock or have it open

#include <sys/stat.h>

#include <optional>
#include <string_view>
#include <vector>

#include "ports/port_state.hpp"
#include "ports/system_roots.hpp"

namespace zizuvu {

// /proc/locks names the locked file by the device of the file system holding the
// node (st_dev, in hex) and the node's inode, not by the device the node stands for.
struct LockEntry {
    pid_t pid = 0;
    unsigned file_system_major = 0;
    unsigned file_system_minor = 0;
    unsigned long long inode = 0;
};

std::optional<LockEntry> parse_lock_line(std::string_view line);

// The devices as stat() describes their nodes; /proc is read once for all of them.
std::vector<std::vector<PortHolder>> find_port_holders(const std::vector<struct stat>& devices,
                                                      const SystemRoots& roots);

}  // namespace zizuvu
