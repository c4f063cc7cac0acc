#pragma once
// Who may use a device node and whether this user may, from the user database and
// this process's own groups, for telling a technician which group to join.
//
//   port_access   the node's owner, group and mode, and this user's place in that group

#include <sys/stat.h>

#include "ports/port_state.hpp"

namespace zizuvu {

PortAccess port_access(const struct stat& node);

}  // namespace zizuvu
