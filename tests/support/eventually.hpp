#pragma once
// Waiting in a test for something another thread or process brings about.
//
//   eventually   true once the condition holds, false if it still does not after the
//                limit; the default is longer than any working program needs

#include <chrono>
#include <thread>

namespace zizuvu::testing {

template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace zizuvu::testing
