#pragma once
// The floor of a lock-step byte exchange over a pseudo-terminal pair on this machine:
// two processes, the same bytes as a download exchanges for each data byte, the
// program's side nothing but blocking reads and writes. The radio's side does what
// the simulated radio does between two bytes and nothing else: it waits in ppoll,
// logs every byte to the same log (flushed once per wake-up) and, paced, answers only
// once the bytes it answers and its answer would have crossed a line at the given
// speed (asleep, then spinning the last stretch). What a download takes beyond this
// exchange is the program's own cost.
//
//   ExchangeShape          bytes each way per data byte, in order
//   X72_EXCHANGE, X71_EXCHANGE
//   wire_byte_times        the fewest byte times a data byte takes on a paced line
//   ExchangeSetup          shape, data bytes, line speed (0: unpaced), priority, log
//   ExchangeRun            the program's side's time and processor time, or why the
//                          exchange failed
//   run_lockstep_exchange  one exchange, measured now; with `raised`, the program's side
//                          runs at the priority a download raises itself to (real time
//                          and processors kept awake where allowed)

#include <string>

namespace zizuvu::bench {

struct ExchangeShape {
    int address_out;  // program to radio
    int echo_in;      // radio to program
    int data_out;
    int answer_in;
    // The older radios echo each address byte as it arrives, so on a full-duplex line
    // the first echo byte crosses while the second address byte still arrives; the
    // newer ones echo once the whole frame is in.
    bool echo_each_address_byte;
};

inline constexpr ExchangeShape X72_EXCHANGE{3, 2, 2, 1, false};
inline constexpr ExchangeShape X71_EXCHANGE{2, 2, 1, 1, true};

int wire_byte_times(const ExchangeShape& shape);

struct ExchangeSetup {
    ExchangeShape shape;
    long data_bytes = 0;
    int baud = 0;  // paced at this speed; 0: the radio answers at once
    bool raised = false;
    std::string wire_log;  // the radio's side's log in zizuvu-radio's format; "" for none
};

struct ExchangeRun {
    bool ok = false;
    std::string why_not;
    double seconds = 0;
    double processor_seconds = 0;  // the program's side's own, in that time
};

ExchangeRun run_lockstep_exchange(const ExchangeSetup& setup);

}  // namespace zizuvu::bench
