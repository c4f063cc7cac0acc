#pragma once
// The setup terminal the main menu starts ("2"): a pass-through to the radio's own
// setup menu until "Q" or "q".
//
//   run_setup_terminal   the whole terminal; the transmit queue's storage is the run's

#include "session/session.hpp"
#include "terminal/transmit_queue.hpp"

namespace zizuvu {

void run_setup_terminal(Session& session, TransmitStorage& transmit_storage);

}  // namespace zizuvu
