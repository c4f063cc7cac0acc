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
    for (std::size_t i = data_phase_start(log); i < log.size(); ++i) {
        const testing::WireLogLine& line = log[i];
        if (line.note) continue;
        if (previous != nullptr && previous->sent != line.sent) {
            const auto gap = static_cast<double>(line.microseconds - previous->microseconds);
            (line.sent ? gaps.hold_us : gaps.turnaround_us).push_back(gap);
        }
        previous = &line;
    }
    return gaps;
}

GapFigures gap_figures(const std::vector<double>& gaps_us) {
    return {gaps_us.size(), median(gaps_us), percentile(gaps_us, 90)};
}

}  // namespace zizuvu::bench
