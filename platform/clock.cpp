#include "platform/clock.hpp"

namespace zizuvu {

float elapsed_seconds(float start, float now) {
    constexpr float seconds_per_day = 86400.0F;
    float elapsed = now - start;
    if (elapsed < 0.0F) elapsed += seconds_per_day;
    return elapsed;
}

}  // namespace zizuvu
