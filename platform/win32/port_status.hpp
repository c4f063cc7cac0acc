#pragma once
// ClearCommError both reports and forgets a port's line errors, and it is the only
// way to learn how many bytes are waiting. A look at the port that is not the
// program's own query (a wait deciding whether to block) keeps the errors it saw
// for the next clear_port_errors, so no line error goes unreported.
//
//   peek_port_status   bytes waiting and errors, the errors kept for clear_port_errors
//   forget_port_status a port being closed

#include "platform/port_io.hpp"

namespace zizuvu {

bool peek_port_status(OsHandle port, PortStatus& status);
void forget_port_status(OsHandle port);

}  // namespace zizuvu
