#pragma once
// One measured run for the download benchmark: a whole download by the program
// against the simulated radio, or the bare lock-step exchange of the same bytes, each
// with the radio's log of the line read back into its gaps.
//
//   Download            a download procedure: menu key, exchange shape
//   X72_DOWNLOAD, X71_DOWNLOAD
//   RunFigures          time, the line's gaps, or why the run failed
//   run_download        the program's own "Program Time", at 115200 or 38400 baud;
//                       baud 0: at 115200 with the radio answering at once (no pacing);
//                       the program started with the options given beside its port
//   run_bare_exchange   the bare exchange of as many data bytes, paced the same way
//   idle_percent        processor use of the program waiting for an identification that
//                       never comes; negative if the wait was not reached

#include <string>
#include <vector>

#include "bench/lockstep_floor.hpp"
#include "bench/turnaround.hpp"

namespace zizuvu::bench {

struct Download {
    const char* name;
    const char* key;  // in case names
    char menu_key;
    ExchangeShape shape;
};

inline constexpr Download X72_DOWNLOAD{"X.72 and newer", "x72", '1', X72_EXCHANGE};
inline constexpr Download X71_DOWNLOAD{"X.71 and older", "x71", '0', X71_EXCHANGE};

struct RunFigures {
    bool ok = false;
    std::string why_not;
    double seconds = 0;
    double operator_seconds = 0;  // from the last answer typed to the finish screen
    LineGaps gaps;
};

RunFigures run_download(const Download& download, int baud, const std::vector<std::string>& program_options = {});
RunFigures run_bare_exchange(const Download& download, int baud, bool raised, long data_bytes);
double idle_percent();

}  // namespace zizuvu::bench
