#pragma once
// When an open port has enough input for a reader, as poll() sees it. A terminal
// in raw mode with VTIME 0 reports itself readable only once VMIN bytes are
// waiting, so a reader that needs N bytes can sleep until all N are there instead
// of waking for each one. Reads are non-blocking, so VMIN changes nothing else.
// The minimum is changed only when a wait needs another one, and put back to one
// byte when the port is closed.
//
//   MAX_INPUT_MINIMUM     the most bytes VMIN can ask for
//   input_minimum         VMIN on the device now
//   set_input_minimum     make poll() wait for that many bytes (kept per port; a system
//                         call only when it changes)
//   input_waiting         received bytes not yet read (FIONREAD); nothing once the
//                         device has gone away (a hung-up terminal fails every call)
//   port_hung_up          the device went away (hang-up, error) - answered at once

#include <optional>

namespace zizuvu {

inline constexpr int MAX_INPUT_MINIMUM = 255;

int input_minimum(int fd);
bool set_input_minimum(int fd, int minimum);
std::optional<int> input_waiting(int fd);
bool port_hung_up(int fd);

}  // namespace zizuvu
