#include "platform/clock.hpp"

namespace zizuvu {

double elapsed_seconds(double start, double now) {
    constexpr double seconds_per_day = 86400.0;
    double elapsed = now - start;
    if (elapsed < 0.0) elapsed += seconds_per_day;
    return elapsed;
}

}  // namespace zizuvu
