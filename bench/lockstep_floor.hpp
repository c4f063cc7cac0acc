#pragma once
// The floor of a lock-step byte exchange over a pseudo-terminal pair on this machine:
// two processes, nothing but blocking reads and writes, the same bytes as a download
// exchanges for each data byte.
//
//   ExchangeShape          bytes each way per data byte, in order
//   X72_EXCHANGE, X71_EXCHANGE
//   lockstep_floor_us      microseconds per data byte, measured now; with `raised`,
//                          the program's side runs at the priority a download raises
//                          itself to (real time and processors kept awake where allowed)
//   paced_lockstep_floor_us  the same with the radio's side answering only once the
//                          bytes it answers and its answer would have crossed a line at
//                          the given speed, waiting as the simulated radio does (asleep,
//                          then spinning the last stretch): what an exchange costs when
//                          both sides go idle between bytes, as they do on a real line

namespace zizuvu::bench {

struct ExchangeShape {
    int address_out;  // program to radio
    int echo_in;      // radio to program
    int data_out;
    int answer_in;
};

inline constexpr ExchangeShape X72_EXCHANGE{3, 2, 2, 1};
inline constexpr ExchangeShape X71_EXCHANGE{2, 2, 1, 1};

double lockstep_floor_us(const ExchangeShape& shape, int data_bytes, bool raised = false);
double paced_lockstep_floor_us(const ExchangeShape& shape, int baud, int data_bytes, bool raised = false);

}  // namespace zizuvu::bench
