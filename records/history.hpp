#pragma once
// Reading the records back, newest first.
//
//   HistoryFilter     radio serial number, since a day, port name, one row's id; fields left empty do not filter
//   DownloadRecord    a download row as stored
//   SessionRecord     a session row as stored
//   query_downloads   the downloads that pass the filter
//   query_sessions    the sessions that pass it (the radio serial number does not apply to them)
//   each_download / each_session   the same, a row at a time, for an export of any size
//
// history_format.hpp lays the rows out for a terminal, as CSV and as JSON Lines.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "records/download_records.hpp"
#include "records/records_result.hpp"
#include "records/session_records.hpp"
#include "records/writer_identity.hpp"

namespace zizuvu {

struct RecordStore;

struct HistoryFilter {
    std::string radio_serial;   // exactly this serial number (letters in any case)
    std::string since;          // "YYYY-MM-DD": from the start of that day in local time
    std::string port_name;      // "Com1" (any case)
    std::size_t limit = 0;      // the newest so many; 0: all
    std::int64_t id = 0;        // only the row with this id; 0: any
};

struct DownloadRecord {
    std::int64_t id = 0;
    std::string started_utc;    // "2026-12-09T10:15:02.345Z"
    std::string ended_utc;      // empty until finished
    std::optional<double> duration_seconds;
    DownloadStart start;        // started is the stored time
    DownloadFinish finish;      // outcome in_progress or interrupted until finished; ended is the stored time
    WriterIdentity writer;
};

struct SessionRecord {
    std::int64_t id = 0;
    std::string started_utc;
    std::string ended_utc;
    std::optional<double> duration_seconds;
    SessionState state = SessionState::in_progress;
    SessionStart start;
    SessionFinish finish;
    WriterIdentity writer;
};

struct DownloadHistory {
    RecordsResult result;
    std::vector<DownloadRecord> rows;
};

struct SessionHistory {
    RecordsResult result;
    std::vector<SessionRecord> rows;
};

// A "since" that is not a date gives a result with the reason and no rows.
DownloadHistory query_downloads(RecordStore& store, const HistoryFilter& filter);
SessionHistory query_sessions(RecordStore& store, const HistoryFilter& filter);

// The row passed to `each` is only valid during the call.
RecordsResult each_download(RecordStore& store, const HistoryFilter& filter,
                            const std::function<void(const DownloadRecord&)>& each);
RecordsResult each_session(RecordStore& store, const HistoryFilter& filter,
                           const std::function<void(const SessionRecord&)>& each);

}  // namespace zizuvu
