#pragma once
// How the procedures wait for the radio: until the port has the bytes they want or
// the operator pressed a key, whichever comes first, without using the processor
// meanwhile and without sleeping a fixed time.
//
//   wait_for_port_or_key   block until a key may be waiting, the channel has at
//                          least min_bytes waiting (or has just gone away), or
//                          termination was requested; on a port that is gone,
//                          only a key or termination ends it
//
// It records no error and consumes nothing: the caller then runs the tests of its
// polling loop (bytes_waiting, key_waiting) in its own order, and they decide.
// It may return early; callers test and wait again. A channel that is not open
// waits for a key only. At most 255 bytes can be waited for at once (a terminal
// counts its input minimum in one byte); the program never waits for more.

#include "platform/console.hpp"
#include "platform/serial_channel.hpp"

namespace zizuvu {

void wait_for_port_or_key(Console& console, ChannelTable& channels, int number, int min_bytes);

}  // namespace zizuvu
