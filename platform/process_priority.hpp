#pragma once
// The process's scheduling priority around the time-critical byte exchange.
//
//   PriorityClass           normal, or raised for the exchange
//   set_process_priority    raised: real-time (SCHED_FIFO) where the user may, else
//                           the best niceness allowed, and on Linux, where the user
//                           may, processors kept out of idle states slow to wake from;
//                           normal: back to how it was. Failures are ignored: the
//                           exchange works at any priority.
//
// Real-time is safe only because every wait of the program blocks: nothing spins
// while the process holds the processor.

namespace zizuvu {

enum class PriorityClass { normal, raised };

void set_process_priority(PriorityClass priority);

}  // namespace zizuvu
