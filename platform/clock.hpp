#pragma once
// Time of day and pauses.
//
//   seconds_since_midnight   local time of day, millisecond resolution
//   elapsed_seconds          difference of two such readings, across midnight too
//   pause_ms                 suspend the calling thread
//   local_time_now           the local date and time, to the second, as strftime takes it

#include <ctime>

namespace zizuvu {

std::tm local_time_now();

double seconds_since_midnight();

// A download that runs across midnight must not show a negative time: a reading
// smaller than the start is taken to belong to the next day.
double elapsed_seconds(double start, double now);

void pause_ms(int milliseconds);

}  // namespace zizuvu
