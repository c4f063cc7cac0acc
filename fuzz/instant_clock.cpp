// Link seam of the download fuzz target. These definitions stand in for the ones of
// platform/linux/clock_linux.cpp and process_priority_linux.cpp, which the linker
// then never takes from the platform library: the downloads' fixed pauses (up to two
// seconds each) take no time, the clock reads the same every run, so the challenge
// drawn from it and every run repeat exactly, and no run lifts the fuzzer to
// real-time priority. Should either file ever hold more that a download uses, the
// link fails on the duplicate definitions instead of mixing the two.
#include "platform/clock.hpp"
#include "platform/process_priority.hpp"

namespace zizuvu {

double seconds_since_midnight() { return 12.0 * 3600.0; }

void pause_ms(int) {}

void set_process_priority(PriorityClass) {}

}  // namespace zizuvu
