#pragma once
// The bar on row 26 that tells the technician how much of the image has gone out and
// roughly how long the rest will take. It is updated between records, at most a few
// times a second, so the per-byte exchange never waits for it; it leaves the cursor
// and the colours as it found them.
//
//   ProgressBar                 the image's total of bytes to send, the clock started
//   ProgressBar::record_sent    a record's bytes went out; redraws when due

#include <chrono>

#include "session/session.hpp"

namespace zizuvu {

inline constexpr int PROGRESS_BAR_ROW = 26;

class ProgressBar {
public:
    explicit ProgressBar(long bytes_to_send);
    void record_sent(Session& session, int byte_count);

private:
    using Clock = std::chrono::steady_clock;
    void draw(Session& session);

    long total_;
    long sent_ = 0;
    Clock::time_point started_;
    Clock::time_point last_drawn_{};
};

}  // namespace zizuvu
