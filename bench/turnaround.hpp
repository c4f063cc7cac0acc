#pragma once
// Where the time of a lock-step exchange goes, read from the radio's log of the line
// (zizuvu-radio --log, or the bare exchange's radio side, which writes the same log):
// each round trip splits into the program's turnaround, from the radio writing its
// answer to the radio reading the first byte of the next frame, and the radio's hold,
// from the last byte of a frame read to the last byte of its answer written (with
// pacing, the wire time of both and the radio's own lateness).
//
//   LineGaps         every turnaround and hold of the data phase, in microseconds
//   line_gaps        from a log: the round trips after its last "erase done" note (the
//                    handshake and the erase before it are no exchange of data bytes),
//                    or all of them in a log without one
//   GapFigures       count, median and 90th percentile
//   gap_figures

#include <cstddef>
#include <vector>

#include "tests/support/radio_peer.hpp"

namespace zizuvu::bench {

struct LineGaps {
    std::vector<double> turnaround_us;  // the program's
    std::vector<double> hold_us;        // the radio's
};

LineGaps line_gaps(const std::vector<testing::WireLogLine>& log);

struct GapFigures {
    std::size_t count = 0;
    double median_us = 0;
    double p90_us = 0;
};

GapFigures gap_figures(const std::vector<double>& gaps_us);

}  // namespace zizuvu::bench
