#pragma once
// A wait for a program without a console of its own (unattended flashing): until one
// of the descriptors has input or has hung up, a terminating signal arrives, or the
// time is up. It may return early; callers look again.
//
//   wait_for_readable   block on `fds` (-1 entries are skipped) and the signal pipe;
//                       true if one of `fds` has input or has hung up

#include <chrono>
#include <span>

namespace zizuvu {

bool wait_for_readable(std::span<const int> fds, std::chrono::milliseconds limit);

}  // namespace zizuvu
