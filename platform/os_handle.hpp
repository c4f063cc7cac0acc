#pragma once
// The operating system's handle of an open port: a file descriptor on Linux, a
// HANDLE on Windows, carried as one integer type so the program's code is the same.

#include <cstdint>

namespace zizuvu {

using OsHandle = std::intptr_t;
inline constexpr OsHandle NO_OS_HANDLE = -1;

}  // namespace zizuvu
