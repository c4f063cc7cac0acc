#pragma once
// One radio flashed without an operator: the interactive download procedure itself,
// run on the unattended console, and what came of it.
//
//   FlashJob        which download, on which port, with which answers and policy
//   FlashResult     the download's report, the verdict in words, the exit status it earns
//   FlashRun        the unattended console and the session of one job; the caller may
//                   tell `downloads` of a record keeper on `session` before `flash`
//     flash         runs the job's download; `downloads` holds the image
//   exit_status_of  0 complete, 3 not opened, 4 no radio answered, 5 failed, 6 a signal

#include <string>

#include "download/download_procedures.hpp"
#include "flash/unattended_console.hpp"

namespace zizuvu {

struct FlashJob {
    FlashRadio radio = FlashRadio::current;
    std::string port_name;  // "Com1".."Com9": what the procedures open
    bool high_speed = false;
    bool firmware_before_545 = false;
    UnattendedPolicy policy;
};

struct FlashResult {
    DownloadReport report;
    std::string verdict;     // the finish screen's verdict, or why there was none
    int error_number = 0;    // the program's error number when the port could not be opened
    bool opened = false;     // the link was opened and the radio addressed
    bool radio_silent = false;
    bool signalled = false;
    double seconds = 0;
};

class FlashRun {
public:
    FlashRun(const FlashJob& job, Downloads& downloads, UnattendedConsole::ProgressSink progress);
    FlashRun(const FlashRun&) = delete;
    FlashRun& operator=(const FlashRun&) = delete;

    FlashResult flash();

    Session& session() { return session_; }

private:
    FlashJob job_;
    Downloads& downloads_;
    UnattendedConsole device_;
    Console console_;
    Session session_;
};

int exit_status_of(const FlashResult& result);

}  // namespace zizuvu
