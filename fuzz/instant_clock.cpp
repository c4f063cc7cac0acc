// Link seam of the download fuzz target. These definitions stand in for the ones of
// platform/linux/clock_linux.cpp and process_priority_linux.cpp, which the linker
// then never takes from the platform library: the downloads' fixed pauses (up to two
// seconds each) take no time, the clock reads the same every run, so the challenge
// drawn from it and every run repeat exactly, and no run lifts the fuzzer to
// real-time priority or holds the processors awake. Should either file ever hold
// more that the program uses, the link fails on the duplicate definitions instead of
// mixing the two.
#include "platform/clock.hpp"
#include "platform/process_priority.hpp"

namespace zizuvu {

// Noon on the first day of 2026, as the fixed time of day above.
std::tm local_time_now() {
    std::tm noon{};
    noon.tm_year = 126;
    noon.tm_mday = 1;
    noon.tm_hour = 12;
    return noon;
}

double seconds_since_midnight() { return 12.0 * 3600.0; }

void pause_ms(int) {}

void set_process_priority(PriorityClass) {}

void keep_processors_awake(bool) {}

}  // namespace zizuvu
