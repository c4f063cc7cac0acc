#pragma once
// zizuvu-radio's one loop: it waits in ppoll on the pseudo-terminal and its signals
// until a byte arrives, a signal comes, the radio's deadline passes or a paced answer
// is due, and moves bytes between the line and the radio.
//
//   run_radio   from the pseudo-terminal's creation to the end; the exit status

#include "sim/options.hpp"

namespace zizuvu::sim {

int run_radio(const RadioOptions& options);

}  // namespace zizuvu::sim
