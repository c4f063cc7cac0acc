#pragma once
// How a wait for the radio's answer blocks on each platform: a quick look at what
// the port holds, then a sleep until it may hold enough, the operator may have typed
// something, or termination was asked for. Neither consumes anything nor records an
// error: the caller then tests the port and the keyboard in its own order.
//
//   PortLook             what a look found
//   look_at_port         how the port stands, and how many bytes are waiting (on Windows
//                        after a moment's looking, since its waits wake late)
//   look_at_fresh_port   the same right after a frame went out, when no byte of its
//                        answer can be waiting yet: where the wait itself returns at
//                        once for a byte or a hang-up that came meanwhile (Linux), it
//                        finds short_of_bytes with none waiting without asking the port
//   wait_for_port_bytes  block until min_bytes may be waiting (`waiting` are there as
//                        the look found), or input on the console device; it may
//                        return early. At most 255 bytes can be waited for at once (a
//                        terminal counts its input minimum in one byte)
//
// Nothing here spins: a port that reads as ready for ever without a byte to count (a
// file, a pipe) is not watched, and where the platform cannot be told to wake for
// several bytes the wait sleeps a moment instead of returning at once.

#include "platform/console_device.hpp"
#include "platform/os_handle.hpp"

namespace zizuvu {

enum class PortLook {
    enough,          // min_bytes are waiting, or a line error is there to be seen
    short_of_bytes,  // fewer: a wait makes sense
    gone,            // the device went away: nothing will ever arrive
};

PortLook look_at_port(OsHandle port, int min_bytes, int& waiting);
PortLook look_at_fresh_port(OsHandle port, int min_bytes, int& waiting);
void wait_for_port_bytes(ConsoleIo& device, OsHandle port, int min_bytes, int waiting);

}  // namespace zizuvu
