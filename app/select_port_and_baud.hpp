#pragma once
// Menu choice "3": the port every procedure opens and the setup terminal's baud rate,
// asked as two typed lines.
//
//   select_port_and_baud   0 keeps either answer; a port outside 0..9 asks again on a
//                          cleared screen, a speed not offered asks again below

#include "session/session.hpp"

namespace zizuvu {

void select_port_and_baud(Session& session);

}  // namespace zizuvu
