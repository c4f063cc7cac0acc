#pragma once
// Where the port library looks at the machine: the kernel's device tree, the device
// nodes and the process table. Tests point these at a tree of their own.
//
//   SystemRoots   the three folders, the machine's own by default

#include <string>

namespace zizuvu {

struct SystemRoots {
    std::string sys = "/sys";
    std::string dev = "/dev";
    std::string proc = "/proc";
};

}  // namespace zizuvu
