#pragma once
// What state a port is in, found without opening it, so that looking never takes a
// port from the program that has it (nor disturbs the system console).
//
//   PortCondition   present, missing, no permission, in use, not a serial device
//   PortHolder      another process that has the device open or locked
//   PortAccess      who may use the device, and whether this user may
//   PortState       the condition with what explains it
//   port_state      looks at a path: the first thing in the way of opening it there
//   port_states     the same for several paths, reading the process table once for all

#include <sys/types.h>

#include <string>
#include <vector>

#include "ports/system_roots.hpp"

namespace zizuvu {

enum class PortCondition {
    present,              // a serial device this user may open and nobody else holds
    missing,              // nothing at the path, a link to nothing, or a path wrong on the way
    no_permission,        // this user may not read and write it
    in_use,               // another process has it open or locked
    not_a_serial_device,  // a file, a FIFO, a folder, or a device that is no terminal
};

struct PortHolder {
    pid_t pid = 0;
    std::string name;  // the process's command name; empty when the process hides it
};

struct PortAccess {
    std::string user;   // the real user's login name (or number)
    std::string owner;  // the device's owner (name or number)
    std::string group;  // the device's group (name or number)
    unsigned mode = 0;  // the device's permission bits, 0660 and the like
    bool group_may_use = false;      // the group may read and write it
    bool in_group_now = false;       // this process carries that group
    bool in_group_at_login = false;  // the user database puts the user in it: a new login carries it
};

struct PortState {
    PortCondition condition = PortCondition::missing;
    int error = 0;             // the errno that decided missing or no_permission (ENOENT, ENOTDIR, EACCES..)
    std::string link_target;   // a link to nothing: where it points
    std::string kind;          // what is there instead of a serial device: "a regular file"..
    std::vector<PortHolder> holders;  // other processes holding the device, lock holders first
    PortAccess access;         // filled for every device node found
};

// The path as the program would open it (links followed). Conditions are checked
// in the order an open meets them: nothing there, not a port, no permission, then
// held by another process (this process itself never counts).
PortState port_state(const std::string& path, const SystemRoots& roots = {});
std::vector<PortState> port_states(const std::vector<std::string>& paths, const SystemRoots& roots = {});

}  // namespace zizuvu
