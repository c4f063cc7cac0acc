#include "download/progress_bar.hpp"

#include <algorithm>
#include <cstdio>
#include <string>


namespace zizuvu {
namespace {

constexpr auto REDRAW_INTERVAL = std::chrono::milliseconds(250);
constexpr int BAR_CELLS = 40;

}  // namespace

ProgressBar::ProgressBar(long bytes_to_send) : total_(std::max(bytes_to_send, 1L)), started_(Clock::now()) {}

void ProgressBar::record_sent(Session& session, int byte_count) {
    sent_ += byte_count;
    const auto now = Clock::now();
    if (sent_ < total_ && now - last_drawn_ < REDRAW_INTERVAL) return;
    last_drawn_ = now;
    draw(session);
}

void ProgressBar::draw(Session& session) {
    Screen& screen = session.console.screen;
    const int row = cursor_row(screen);
    const int column = cursor_column(screen);
    const int foreground = screen.foreground;
    const int background = screen.background;

    const long sent = std::min(sent_, total_);
    const int filled = static_cast<int>(sent * BAR_CELLS / total_);
    std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(BAR_CELLS - filled), '.') + "]";
    char figures[64];
    const double seconds = std::chrono::duration<double>(Clock::now() - started_).count();
    const long percent = sent * 100 / total_;
    if (sent > 0 && sent < total_ && seconds >= 1.0) {
        const double left = seconds * static_cast<double>(total_ - sent) / static_cast<double>(sent);
        std::snprintf(figures, sizeof figures, " %3ld%%  about %.0f s left", percent, left);
    } else {
        std::snprintf(figures, sizeof figures, " %3ld%%", percent);
    }
    line += figures;
    line.resize(79, ' ');

    locate(screen, PROGRESS_BAR_ROW, 1);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
    print_text(screen, line);
    locate(screen, row, column);
    set_colors(screen, foreground, background, 0);
}

}  // namespace zizuvu
