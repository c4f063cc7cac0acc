#pragma once
// What a running process costs, read from /proc: processor time and resident memory.
//
//   processor_seconds    user + system time used so far
//   resident_kilobytes   VmRSS now
//   measure_idle         share of one core used over a period of waiting

#include <sys/types.h>

#include <chrono>

namespace zizuvu::testing {

double processor_seconds(pid_t pid);
long resident_kilobytes(pid_t pid);
double measure_idle(pid_t pid, std::chrono::milliseconds period);

}  // namespace zizuvu::testing
