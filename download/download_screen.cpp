#include "download/download_screen.hpp"

#include <algorithm>
#include <string>

#include "download/download_link.hpp"
#include "download/download_log.hpp"
#include "platform/clock.hpp"
#include "platform/port_io.hpp"
#include "serial/serial_channel.hpp"
#include "console/text_format.hpp"

namespace zizuvu {
namespace {

constexpr int VERDICT_ROW = 27;  // and the row below it, for a verdict longer than a row

DownloadEnd how_it_ended(Session& session, DownloadReport& report) {
    if (report.walk_complete) return DownloadEnd::complete;
    if (termination_requested(session.console)) return DownloadEnd::ended_by_signal;
    // A device that went away shows its failure on the status row before anyone can
    // answer the question that follows.
    if (note_if_line_lost(session, report)) return DownloadEnd::line_failure;
    return report.attempts_exhausted ? DownloadEnd::attempts_exhausted : DownloadEnd::ended_by_operator;
}

// A verdict longer than a row goes on in the next one, broken between words; a
// record that could not be kept is said after it, in red.
void show_verdict(Session& session, const Verdict& verdict, const std::string& not_recorded) {
    Screen& screen = session.console.screen;
    const auto columns = static_cast<std::size_t>(screen.width);
    std::string first = verdict.text;
    std::string second;
    if (first.size() > columns) {
        const std::size_t space = first.rfind(' ', columns);
        const std::size_t cut = space == std::string::npos || space == 0 ? columns : space;
        second = first.substr(cut + (cut == space ? 1 : 0));
        first.resize(cut);
    }
    first.resize(columns, ' ');
    set_colors(screen, verdict.good ? COLOR_BRIGHT_GREEN : COLOR_BRIGHT_RED, COLOR_BLACK, 0);
    locate(screen, VERDICT_ROW, 1);
    print_text(screen, first);
    locate(screen, VERDICT_ROW + 1, 1);
    print_text(screen, second);
    std::string rest = not_recorded.empty() ? std::string() : (second.empty() ? "" : "  ") + ("not recorded: " + not_recorded);
    rest.resize(columns - std::min(columns, second.size()), ' ');
    set_colors(screen, COLOR_BRIGHT_RED, COLOR_BLACK, 0);
    print_text(screen, rest);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
}

}  // namespace

void start_download_screen(Session& session) {
    Screen& screen = session.console.screen;
    clear_screen(screen);
    print_text(screen, DOWNLOAD_TITLE);
    print_newline(screen);
    print_newline(screen);
    print_newline(screen);
}

bool is_yes(std::string_view line) { return line == "Y" || line == "y"; }

bool ask_high_speed(Session& session, DownloadReport& report) {
    print_text(session.console.screen, HIGH_SPEED_QUESTION);
    const bool high_speed = is_yes(read_line(session.console));
    report.answers = std::string("high speed: ") + (high_speed ? "Y" : "N");
    return high_speed;
}

bool operator_left(const Session& session) { return termination_requested(session.console); }

KeyText wait_for_operator_key(Session& session) {
    wait_for_key(session.console);
    return poll_key(session.console);
}

void blank_row(Session& session, int row, int blanks) {
    Screen& screen = session.console.screen;
    locate(screen, row, 1);
    print_text(screen, std::string(static_cast<std::size_t>(blanks), ' '));
    print_newline(screen);
}

void finish_download(Session& session, Downloads& downloads, float start_time) {
    Screen& screen = session.console.screen;
    const double elapsed = elapsed_seconds(static_cast<double>(start_time), seconds_since_midnight());
    DownloadReport& report = downloads.report;
    report.end = how_it_ended(session, report);
    const Verdict verdict = verdict_of(report, downloads.image.crc32);
    show_verdict(session, verdict, log_download_end(downloads, verdict));
    locate(screen, 29, 1);
    print_text(screen, format_number(elapsed, "Program Time is ##.## S"));
    print_newline(screen);
    close_channel(session.channels, PORT_CHANNEL);
    report.phase = DownloadPhase::finished;
    locate(screen, 30, 1);
    set_colors(screen, COLOR_YELLOW, COLOR_BLUE, 0);
    print_text(screen, "Hit any key to return to main menu");
    print_newline(screen);
    wait_for_operator_key(session);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
}

}  // namespace zizuvu
