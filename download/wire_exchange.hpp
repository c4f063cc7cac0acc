#pragma once
// The byte-level pieces the download procedures exchange with the radio through:
// writes through the channel, the wait for an answer (which blocks instead of
// spinning, yet tests the port and the keyboard exactly as a polling loop would),
// and the direct reads and writes on the port's handle for the per-byte exchange.
// Nothing here allocates.
//
//   send_byte          one byte through the channel
//   send_bytes         several bytes through the channel in one write
//   wait_for_answer    true once min_bytes are waiting, false when a key is waiting first;
//                      a device that went away is shown on the status row at once
//   read_direct        count bytes from the handle (already waiting); a failed read
//                      leaves zeros and is shown on the status row
//   write_direct       bytes to the handle; the number written. A failed write is
//                      shown on the status row

#include <cstdint>
#include <initializer_list>
#include <span>

#include "session/session.hpp"
#include "platform/os_handle.hpp"

namespace zizuvu {

void send_byte(Session& session, std::uint8_t byte);
void send_bytes(Session& session, std::span<const std::uint8_t> bytes);
bool wait_for_answer(Session& session, int min_bytes);
void read_direct(Session& session, OsHandle port, std::uint8_t* bytes, std::uint32_t count);
struct DirectWrite {
    bool succeeded;         // the call's own success value
    std::uint32_t written;  // bytes it reported written
};
DirectWrite write_direct(Session& session, OsHandle port, std::span<const std::uint8_t> bytes);

}  // namespace zizuvu
