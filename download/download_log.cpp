#include "download/download_log.hpp"

namespace zizuvu {

void log_download_start(Downloads& downloads) {
    downloads.report.started = true;
    if (downloads.log == nullptr) return;
    downloads.log_problem = downloads.log->download_started(downloads.report);
    downloads.logging = true;
}

std::string log_download_end(Downloads& downloads, const Verdict& verdict) {
    if (!downloads.logging) return {};
    downloads.logging = false;
    std::string problem = downloads.log->download_ended(downloads.report, verdict);
    if (problem.empty()) problem = downloads.log_problem;
    downloads.log_problem.clear();
    return problem;
}

LoggedDownload::~LoggedDownload() {
    if (!downloads_.logging) return;
    DownloadReport& report = downloads_.report;
    // Every way out but the finish screen leaves before the programming: the radio
    // never answered, its device went away, or a signal ended the wait for it.
    if (report.end == DownloadEnd::in_progress) {
        report.end = termination_requested(session_.console) ? DownloadEnd::ended_by_signal
                     : report.line_lost                      ? DownloadEnd::line_failure
                                                             : DownloadEnd::no_radio_answered;
    }
    log_download_end(downloads_, Verdict{});
}

}  // namespace zizuvu
