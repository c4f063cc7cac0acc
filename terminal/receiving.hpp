#pragma once
// The bytes the radio has sent, taken from the port in one read and handed to the
// terminal loop one at a time, so that a fast radio costs two system calls per
// batch instead of per byte while the loop still handles one byte per pass.
//
//   ReceivedBytes     what was read and not yet handled
//   fetch_received    when nothing is left: ask the port what is waiting and read it
//   take_received     the next byte (the caller checks that there is one)

#include <array>
#include <cstdint>

#include "session/session.hpp"
#include "platform/os_handle.hpp"

namespace zizuvu {

struct ReceivedBytes {
    static constexpr std::uint32_t CAPACITY = 4096;  // as much as a terminal queues for a reader

    std::array<std::uint8_t, CAPACITY> bytes{};
    std::uint32_t next = 0;
    std::uint32_t end = 0;

    bool empty() const { return next == end; }
};

// Leaves the query's and the read's failures in the error state; a failed read
// counts as error 69, as a read through the channel would.
void fetch_received(Session& session, OsHandle port, ReceivedBytes& received);
std::uint8_t take_received(ReceivedBytes& received);

}  // namespace zizuvu
