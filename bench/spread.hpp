#pragma once
// Figures over a handful of runs or many round trips: on a shared machine one run says
// little, the middle of several says more.
//
//   median       the middle value (the mean of the two middle ones for an even count)
//   percentile   the nearest-rank percentile: the smallest value with at least p % of
//                the values at or below it (0 < p <= 100)
// Both are 0 for no values.

#include <vector>

namespace zizuvu::bench {

double median(std::vector<double> values);
double percentile(std::vector<double> values, double p);

}  // namespace zizuvu::bench
