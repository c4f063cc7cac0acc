#include "platform/win32/windows_api.hpp"

#include "platform/clock.hpp"

namespace zizuvu {

double seconds_since_midnight() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const long total = now.wHour * 3600000L + now.wMinute * 60000L + now.wSecond * 1000L + now.wMilliseconds;
    return static_cast<double>(total) / 1000.0;
}

std::tm local_time_now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    return local;
}

void pause_ms(int milliseconds) {
    if (milliseconds <= 0) return;
    Sleep(static_cast<DWORD>(milliseconds));
}

}  // namespace zizuvu
