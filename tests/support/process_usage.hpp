#pragma once
// What a running process costs, read from /proc: processor time and resident memory.
//
//   processor_seconds    user + system time used so far
//   resident_kilobytes   VmRSS now
//   measure_idle         share of one core used over a period of waiting
//   context_switches     how often its threads have left the processor so far (each
//                        wake-up of a waiting thread counts one)

#include <sys/types.h>

#include <chrono>

namespace zizuvu::testing {

double processor_seconds(pid_t pid);
long resident_kilobytes(pid_t pid);
double measure_idle(pid_t pid, std::chrono::milliseconds period);
long context_switches(pid_t pid);

}  // namespace zizuvu::testing
