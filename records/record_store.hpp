#pragma once
// The service record store: one SQLite file with a row per firmware download and
// per setup-terminal session, so that a bench can still tell weeks later what went
// into which radio, when, and whether it completed.
//
//   RecordsResult          (records_result.hpp) success, or the reason shown as "not recorded: REASON"
//   RecordsOptions         how long a write waits for another program's
//   RecordStore            one connection, and the rows it could not write yet
//   RECORDS_FORMAT         the file format this program writes (PRAGMA user_version)
//   default_records_path   $XDG_STATE_HOME/zizuvu/records.sqlite3, else ~/.local/state/...; creates nothing
//   RecordsOpening         the store, and what opening found (a damaged file kept aside, rows interrupted)
//   open_records           open or create the file, check it, bring its format up to date
//   close_records          write what is still pending, then close
//
// No call throws or ends the program; a call waits for another program's write at
// most the busy time-out at a time. A store that could not be opened still takes
// every call: each answers with the reason, and a write tries to open the file again
// first. A row that could not be written (disk full, the file locked) is kept in
// memory and written with the store's next successful write or at close_records, so
// a download whose start could not be recorded is still recorded whole when its
// finish can be. A store is used by one thread at a time; two threads or two
// programs each open their own.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "records/download_records.hpp"
#include "records/records_result.hpp"
#include "records/session_records.hpp"
#include "records/writer_identity.hpp"

struct sqlite3;

namespace zizuvu {

// Format 1: the downloads and sessions tables.
inline constexpr int RECORDS_FORMAT = 2;

struct RecordsOptions {
    // How long a write waits for another program's before giving up with
    // "database is locked by another program".
    std::chrono::milliseconds busy_timeout{5000};
};

struct SqliteCloser {
    void operator()(sqlite3* db) const;
};

// What begin_ could not write, kept until a later write gets it through.
template <typename Start, typename Finish>
struct UnwrittenRow {
    std::int64_t handle = 0;   // the id the caller holds: negative while the start is not written
    std::int64_t row_id = 0;   // the row in the file, 0 while the start is not written
    Start start;
    bool finished = false;
    Finish finish;
};

struct RecordStore {
    std::filesystem::path path;
    RecordsOptions options;
    std::unique_ptr<sqlite3, SqliteCloser> db;   // null while the file cannot be had
    std::string not_open_reason;                 // why db is null
    WriterIdentity writer;                       // this process, as the rows name it
    std::string user_name;                       // this process's user, for rows that name none
    std::vector<UnwrittenRow<DownloadStart, DownloadFinish>> unwritten_downloads;
    std::vector<UnwrittenRow<SessionStart, SessionFinish>> unwritten_sessions;
    std::int64_t last_unwritten_handle = 0;
};

// Empty when neither XDG_STATE_HOME (absolute) nor a home folder is known.
std::filesystem::path default_records_path();

struct RecordsOpening {
    RecordStore store;
    RecordsResult result;
    // For the operator, empty when there is nothing to say:
    // "records file was damaged: kept as NAME, started a new one".
    std::string notice;
    int rows_interrupted = 0;   // rows of writers that stopped without finishing, marked at this opening
};

// Creates the folder (mode 0700) and the file when missing. A file that is not a
// database or fails its check is renamed aside with the time in its name, never
// written over; a file of a newer format is left as it is and not opened.
RecordsOpening open_records(const std::filesystem::path& path, const RecordsOptions& options = {});

RecordsResult close_records(RecordStore& store);

}  // namespace zizuvu
