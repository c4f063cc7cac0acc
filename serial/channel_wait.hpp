#pragma once
// How the procedures wait for the radio: until the port has the bytes they want or
// the operator pressed a key, whichever comes first, without using the processor
// meanwhile and without sleeping a fixed time.
//
//   PortWaitEnd            how a wait ended
//   wait_for_port_or_key   block until a key may be waiting, the channel has at
//                          least min_bytes waiting, or termination was requested;
//                          a port that has gone away ends it at once
//   wait_for_fresh_answer  the same right after a frame went out, when no byte of its
//                          answer can be waiting yet: where the platform's wait sees by
//                          itself what came meanwhile (look_at_fresh_port), the port is
//                          not looked at first. A byte or a hang-up that came meanwhile
//                          ends the wait at once; the caller's test then looks, and its
//                          next wait (with wait_for_port_or_key) sees what is there
//   port_to_watch          the port's handle, or NO_OS_HANDLE when the wait is over
//                          before the port is looked at
//
// It records no error and consumes nothing: the caller then runs the tests of its
// polling loop (bytes_waiting, key_waiting) in its own order, and they decide.
// It may return early; callers test and wait again. A channel that is not open
// waits for a key only. At most 255 bytes can be waited for at once; the program
// never waits for more.

#include "console/console.hpp"
#include "serial/serial_channel.hpp"

namespace zizuvu {

enum class PortWaitEnd {
    waited,     // something may have changed: the caller tests again
    port_gone,  // the device went away (an adapter pulled): nothing will ever arrive
};

// On port_gone the wait returns without blocking, every time: the caller tells the
// operator and then waits for a key alone (wait_for_input), or it would spin.
PortWaitEnd wait_for_port_or_key(Console& console, ChannelTable& channels, int number, int min_bytes);
PortWaitEnd wait_for_fresh_answer(Console& console, ChannelTable& channels, int number, int min_bytes);

// NO_OS_HANDLE when keys already decoded are queued (where no system wait can see
// them), termination was asked for, or the channel is not open (and a key alone has
// been waited for).
OsHandle port_to_watch(Console& console, ChannelTable& channels, int number);

}  // namespace zizuvu
