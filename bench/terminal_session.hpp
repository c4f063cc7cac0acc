#pragma once
// The program started on a pseudo-terminal as the operator's terminal, with Com1 a
// pseudo-terminal line whose far end the benchmark plays, and taken into the setup
// terminal (menu choice "2").
//
//   start_setup_terminal   the program, or nothing (with the reason on standard error)
//   write_all              bytes to a line's far end, giving up after a limit

#include <memory>
#include <string_view>

#include "tests/support/pty_pair.hpp"
#include "tests/support/pty_process.hpp"

namespace zizuvu::bench {

std::unique_ptr<testing::PtyProcess> start_setup_terminal(const testing::PtyPair& line);
bool write_all(int fd, std::string_view bytes, std::chrono::milliseconds limit);

}  // namespace zizuvu::bench
