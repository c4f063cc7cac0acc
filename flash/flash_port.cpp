#include "flash/flash_port.hpp"

#include <chrono>

#include "settings/exit_status.hpp"

namespace zizuvu {
namespace {

void run_procedure(FlashRadio radio, Session& session, Downloads& downloads) {
    switch (radio) {
        case FlashRadio::older: return download_older_radio(session, downloads);
        case FlashRadio::retry: return program_retry(session, downloads);
        case FlashRadio::current: break;
    }
    download_current_radio(session, downloads);
}

std::string verdict_text(const FlashResult& result, const FlashJob& job, std::uint32_t crc32) {
    if (!result.opened) {
        if (result.signalled) return "ended by a signal before the port was opened";
        return "the port could not be opened (error " + std::to_string(result.error_number) + ")";
    }
    switch (result.report.end) {
        case DownloadEnd::no_radio_answered:
            return "no radio answered within " +
                   std::to_string(std::chrono::duration_cast<std::chrono::seconds>(job.policy.radio_wait).count()) +
                   " s - nothing was programmed";
        case DownloadEnd::ended_by_signal:
            if (result.report.phase != DownloadPhase::programming && result.report.phase != DownloadPhase::finished) {
                return "ended by a signal before programming - nothing was programmed";
            }
            break;
        case DownloadEnd::line_failure:
            if (result.report.phase != DownloadPhase::programming && result.report.phase != DownloadPhase::finished) {
                return "the line failed before programming (error " + std::to_string(result.report.line_error) +
                       ") - nothing was programmed";
            }
            break;
        default: break;
    }
    return verdict_of(result.report, crc32).text;
}

}  // namespace

FlashRun::FlashRun(const FlashJob& job, Downloads& downloads, UnattendedConsole::ProgressSink progress)
    : job_(job),
      downloads_(downloads),
      device_(downloads.report, opening_answers(job.radio, job.high_speed, job.firmware_before_545), job.policy,
              std::move(progress)),
      console_(device_),
      session_(console_) {
    session_.port_settings.port_name = job.port_name;
}

FlashResult FlashRun::flash() {
    const auto started = std::chrono::steady_clock::now();
    run_procedure(job_.radio, session_, downloads_);
    FlashResult result;
    result.radio_silent = device_.radio_did_not_answer();
    result.signalled = device_.termination_requested();
    result.error_number = session_.last_error_shown;
    result.report = downloads_.report;
    result.opened = result.report.started;
    result.verdict = verdict_text(result, job_, downloads_.image.crc32);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

int exit_status_of(const FlashResult& result) {
    if (!result.opened) return result.signalled ? EXIT_SIGNAL : EXIT_PORT_NOT_OPENED;
    switch (result.report.end) {
        case DownloadEnd::complete:
            return result.report.passed_over.empty() ? EXIT_DONE : EXIT_DOWNLOAD_FAILED;
        case DownloadEnd::ended_by_signal: return EXIT_SIGNAL;
        case DownloadEnd::no_radio_answered: return EXIT_NO_RADIO;
        default: break;
    }
    return EXIT_DOWNLOAD_FAILED;
}

}  // namespace zizuvu
