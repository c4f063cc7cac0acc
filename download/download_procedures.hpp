#pragma once
// The firmware downloads the main menu starts, and what the download side keeps for
// the whole run. Each procedure asks its questions, opens the port itself, does its
// work, closes the port on every path and returns; the menu then redraws.
//
//   Downloads               the download side's run-wide state: the image in force, and the
//                           course of the download under way (or the last one)
//   download_older_radio    "0": radios at X.71 and older
//   download_current_radio  "1": radios at X.72 and newer
//   program_retry           "4": the X.72-and-newer programming phase again, without the handshake

#include <cstdint>
#include <string>

#include "download/download_image.hpp"
#include "download/download_report.hpp"
#include "download/firmware_image.hpp"
#include "session/random.hpp"
#include "session/session.hpp"

namespace zizuvu {

class DownloadLog;

struct Downloads {
    std::int32_t progress_counter = 0;  // shared by every download of the run, never reset by one
    RandomState random;                 // the X.72 challenge's generator
    RecordBuffer record_buffer;         // the image record being sent, refilled by every fetch
    DownloadImage image = built_in_image();
    DownloadReport report;
    DownloadLog* log = nullptr;  // told of every download's start and end; none keeps no record
    bool logging = false;        // the download under way was told to the log
    std::string log_problem;     // why its start could not be recorded
};

void download_older_radio(Session& session, Downloads& downloads);
void download_current_radio(Session& session, Downloads& downloads);
void program_retry(Session& session, Downloads& downloads);

}  // namespace zizuvu
