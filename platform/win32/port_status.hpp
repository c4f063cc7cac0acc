#pragma once
// ClearCommError both reports and forgets a port's line errors, and it is the only
// way to learn how many bytes are waiting. A look at the port that is not the
// program's own read of its status (a wait deciding whether to block) keeps the
// errors it saw for the next read_port_status, so no line error goes unreported.
//
//   CommStatus         what ClearCommError says: the CE_* mask and the bytes waiting
//   peek_port_status   the same, the errors kept for read_port_status
//   forget_port_status a port being closed

#include <cstdint>

#include "platform/os_handle.hpp"

namespace zizuvu {

struct CommStatus {
    std::uint32_t errors = 0;          // CE_* since the last look
    std::uint32_t bytes_in_queue = 0;  // received and not yet read
};

bool peek_port_status(OsHandle port, CommStatus& status);
void forget_port_status(OsHandle port);

}  // namespace zizuvu
