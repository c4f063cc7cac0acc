#pragma once
// Checks shared by the end-to-end fault tests (the radio's device going away,
// termination signals, a port in use), whatever procedure the program was in.
//
//   descriptors_on   open descriptors of a process on a device, by the device's path
//   port_is_free     another program could take the port now (open and exclusive lock)
//   expect_no_spin   the process uses next to no processor while it waits
//   indicator        the status row's error indicator, columns 65 to 76
//   wait_until_ended a process that ended but is not yet reaped, so that what it left
//                    behind can still be read
//   scheduling_policy  a process's scheduling policy (SCHED_OTHER, SCHED_FIFO, ...),
//                    as it was when it ended if it has
//   expect_back_at_menu_without   the main menu is up again and the port let go
//   expect_escape_ends_with_zero  Escape at the menu ends the program with status 0

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>

#include "tests/support/pty_process.hpp"
#include "tests/support/terminal_screen.hpp"

namespace zizuvu::testing {

int descriptors_on(pid_t pid, const std::string& device);
bool port_is_free(const std::string& device);
// A process blocked in a wait uses next to no processor; one that spins uses a core.
// The bound is far from both, so a busy machine cannot make it flaky.
void expect_no_spin(pid_t pid);
std::string indicator(const TerminalScreen& screen);
bool wait_until_ended(pid_t pid, std::chrono::milliseconds limit);
std::optional<int> scheduling_policy(pid_t pid);
void expect_back_at_menu_without(PtyProcess& program, const std::string& device);
void expect_escape_ends_with_zero(PtyProcess& program);

}  // namespace zizuvu::testing
