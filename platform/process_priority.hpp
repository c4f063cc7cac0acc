#pragma once
// The process's scheduling priority around the time-critical byte exchange.
//
//   PriorityClass           normal, or raised for the exchange
//   set_process_priority    raised: real-time (SCHED_FIFO) where the user may, else
//                           the best niceness allowed; normal: back to how it was
//   keep_processors_awake   on Linux, where the user may, processors kept out of idle
//                           states slow to wake from, for as long as an image is sent
//                           (the priority drops between its records, this does not)
// Failures are ignored: the exchange works at any priority and on any processor.
//
// Real-time is safe only because every wait of the program blocks: nothing spins
// while the process holds the processor.

namespace zizuvu {

enum class PriorityClass { normal, raised };

void set_process_priority(PriorityClass priority);
void keep_processors_awake(bool keep);

}  // namespace zizuvu
