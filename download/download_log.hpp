#pragma once
// Whoever keeps a record of the downloads: told when one starts (its link is open,
// before anything is sent to the radio) and when it ends, with the download's
// report. Both happen outside the per-byte exchange, and neither can stop or change
// a download: what they answer is only shown.
//
//   DownloadLog          the record keeper's side: the reason a record could not be
//                        written, empty when it was
//   log_download_start   the download has started (noted in its report too)
//   log_download_end     the download has ended, with the verdict shown; told once
//   LoggedDownload       ends the record on every way out of a procedure that never
//                        reached its finish screen (no radio answered, a signal)

#include <string>

#include "download/download_procedures.hpp"

namespace zizuvu {

class DownloadLog {
public:
    virtual ~DownloadLog() = default;
    virtual std::string download_started(const DownloadReport& report) = 0;
    virtual std::string download_ended(const DownloadReport& report, const Verdict& verdict) = 0;
};

void log_download_start(Downloads& downloads);
// The reasons the start or the end could not be recorded, empty when both were.
std::string log_download_end(Downloads& downloads, const Verdict& verdict);

class LoggedDownload {
public:
    LoggedDownload(Session& session, Downloads& downloads) : session_(session), downloads_(downloads) {}
    ~LoggedDownload();
    LoggedDownload(const LoggedDownload&) = delete;
    LoggedDownload& operator=(const LoggedDownload&) = delete;

private:
    Session& session_;
    Downloads& downloads_;
};

}  // namespace zizuvu
