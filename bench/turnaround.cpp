#include "bench/turnaround.hpp"

#include <string_view>

#include "bench/spread.hpp"

namespace zizuvu::bench {
namespace {

std::size_t data_phase_start(const std::vector<testing::WireLogLine>& log) {
    for (std::size_t i = log.size(); i > 0; --i) {
        const testing::WireLogLine& line = log[i - 1];
        if (line.note && std::string_view(line.text).starts_with("erase done")) return i;
    }
    return 0;
}

}  // namespace

LineGaps line_gaps(const std::vector<testing::WireLogLine>& log) {
    LineGaps gaps;
    const testing::WireLogLine* previous = nullptr;
    const testing::WireLogLine* frame_end = nullptr;  // the frame the radio is answering
    const auto end_hold = [&] {
        if (frame_end != nullptr)
            gaps.hold_us.push_back(static_cast<double>(previous->microseconds - frame_end->microseconds));
        frame_end = nullptr;
    };
    for (std::size_t i = data_phase_start(log); i < log.size(); ++i) {
        const testing::WireLogLine& line = log[i];
        if (line.note) continue;
        if (previous != nullptr && line.sent && !previous->sent) frame_end = previous;
        if (previous != nullptr && !line.sent && previous->sent) {
            end_hold();
            gaps.turnaround_us.push_back(static_cast<double>(line.microseconds - previous->microseconds));
        }
        previous = &line;
    }
    if (previous != nullptr && previous->sent) end_hold();
    return gaps;
}

GapFigures gap_figures(const std::vector<double>& gaps_us) {
    return {gaps_us.size(), median(gaps_us), percentile(gaps_us, 90)};
}

}  // namespace zizuvu::bench
