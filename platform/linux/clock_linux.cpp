#include "platform/clock.hpp"

#include <cerrno>
#include <ctime>

namespace zizuvu {

double seconds_since_midnight() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    const long milliseconds = now.tv_nsec / 1000000;
    const long total = local.tm_hour * 3600000L + local.tm_min * 60000L + local.tm_sec * 1000L + milliseconds;
    return static_cast<double>(total) / 1000.0;
}

std::tm local_time_now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

void pause_ms(int milliseconds) {
    if (milliseconds <= 0) return;
    timespec left{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

}  // namespace zizuvu
