#include "records/schema.hpp"

#include <string>

#include "records/record_store.hpp"

namespace zizuvu {

namespace {

// Times are stored as "2026-12-09T10:15:02.345Z" (UTC), which sorts as it reads.
// Text a writer did not know is NULL. The indexes serve the history's filters, each
// already in the newest-first order; the partial ones find the rows still in
// progress at every opening without reading the rest.
constexpr const char* FORMAT_1 = R"sql(
CREATE TABLE downloads (
  id INTEGER PRIMARY KEY,
  started_utc TEXT NOT NULL,
  ended_utc TEXT,
  duration_seconds REAL,
  host_name TEXT NOT NULL,
  user_name TEXT NOT NULL,
  program_version TEXT NOT NULL,
  port_name TEXT NOT NULL COLLATE NOCASE,
  device_path TEXT NOT NULL,
  device_by_id TEXT,
  adapter_serial TEXT,
  procedure TEXT NOT NULL CHECK (procedure IN ('older', 'current', 'retry')),
  baud_rate INTEGER NOT NULL,
  operator_answers TEXT NOT NULL,
  radio_serial TEXT COLLATE NOCASE,
  image_name TEXT NOT NULL,
  image_record_count INTEGER NOT NULL,
  image_byte_count INTEGER NOT NULL,
  image_crc32 TEXT NOT NULL,
  bytes_sent INTEGER NOT NULL DEFAULT 0,
  bytes_acknowledged INTEGER NOT NULL DEFAULT 0,
  last_address INTEGER,
  questions TEXT,
  passed_over_addresses TEXT,
  error_number INTEGER,
  outcome TEXT NOT NULL CHECK (outcome IN ('in progress', 'complete', 'complete with bytes passed over',
    'ended by the operator', 'line failure', 'ended by a signal', 'no radio answered', 'interrupted')),
  verdict TEXT,
  writer_pid INTEGER NOT NULL,
  writer_start_ticks INTEGER NOT NULL,
  writer_boot_id TEXT NOT NULL
);
CREATE INDEX downloads_by_start ON downloads (started_utc);
CREATE INDEX downloads_by_radio ON downloads (radio_serial, started_utc);
CREATE INDEX downloads_by_port ON downloads (port_name, started_utc);
CREATE INDEX downloads_in_progress ON downloads (outcome) WHERE outcome = 'in progress';

CREATE TABLE sessions (
  id INTEGER PRIMARY KEY,
  started_utc TEXT NOT NULL,
  ended_utc TEXT,
  duration_seconds REAL,
  host_name TEXT NOT NULL,
  user_name TEXT NOT NULL,
  port_name TEXT NOT NULL COLLATE NOCASE,
  device_path TEXT NOT NULL,
  bytes_received INTEGER NOT NULL DEFAULT 0,
  bytes_sent INTEGER NOT NULL DEFAULT 0,
  capture_path TEXT,
  state TEXT NOT NULL CHECK (state IN ('in progress', 'finished', 'interrupted')),
  writer_pid INTEGER NOT NULL,
  writer_start_ticks INTEGER NOT NULL,
  writer_boot_id TEXT NOT NULL
);
CREATE INDEX sessions_by_start ON sessions (started_utc);
CREATE INDEX sessions_by_port ON sessions (port_name, started_utc);
CREATE INDEX sessions_in_progress ON sessions (state) WHERE state = 'in progress';
)sql";

// Format 2: unattended flashing ends a download whose byte failed too often as
// "attempts exhausted". SQLite cannot change a CHECK in place: the table is made
// again with every row kept.
constexpr const char* FORMAT_2 = R"sql(
CREATE TABLE downloads_2 (
  id INTEGER PRIMARY KEY,
  started_utc TEXT NOT NULL,
  ended_utc TEXT,
  duration_seconds REAL,
  host_name TEXT NOT NULL,
  user_name TEXT NOT NULL,
  program_version TEXT NOT NULL,
  port_name TEXT NOT NULL COLLATE NOCASE,
  device_path TEXT NOT NULL,
  device_by_id TEXT,
  adapter_serial TEXT,
  procedure TEXT NOT NULL CHECK (procedure IN ('older', 'current', 'retry')),
  baud_rate INTEGER NOT NULL,
  operator_answers TEXT NOT NULL,
  radio_serial TEXT COLLATE NOCASE,
  image_name TEXT NOT NULL,
  image_record_count INTEGER NOT NULL,
  image_byte_count INTEGER NOT NULL,
  image_crc32 TEXT NOT NULL,
  bytes_sent INTEGER NOT NULL DEFAULT 0,
  bytes_acknowledged INTEGER NOT NULL DEFAULT 0,
  last_address INTEGER,
  questions TEXT,
  passed_over_addresses TEXT,
  error_number INTEGER,
  outcome TEXT NOT NULL CHECK (outcome IN ('in progress', 'complete', 'complete with bytes passed over',
    'ended by the operator', 'attempts exhausted', 'line failure', 'ended by a signal', 'no radio answered', 'interrupted')),
  verdict TEXT,
  writer_pid INTEGER NOT NULL,
  writer_start_ticks INTEGER NOT NULL,
  writer_boot_id TEXT NOT NULL
);
INSERT INTO downloads_2 SELECT * FROM downloads;
DROP TABLE downloads;
ALTER TABLE downloads_2 RENAME TO downloads;
CREATE INDEX downloads_by_start ON downloads (started_utc);
CREATE INDEX downloads_by_radio ON downloads (radio_serial, started_utc);
CREATE INDEX downloads_by_port ON downloads (port_name, started_utc);
CREATE INDEX downloads_in_progress ON downloads (outcome) WHERE outcome = 'in progress';
)sql";

constexpr Migration MIGRATIONS[] = {
    {1, FORMAT_1},
    {2, FORMAT_2},
};

static_assert(std::size(MIGRATIONS) == RECORDS_FORMAT, "one step per format");

}  // namespace

const std::span<const Migration> RECORDS_MIGRATIONS{MIGRATIONS};

FileFormat file_format(sqlite3* db, const std::filesystem::path& path) {
    Statement statement;
    prepare(db, "PRAGMA user_version", statement);
    if (!statement.ok()) return {{statement.prepare_code, failure_reason(db, statement.prepare_code, path)}, 0};
    const int code = sqlite3_step(statement.handle);
    if (code != SQLITE_ROW) return {{code, failure_reason(db, code, path)}, 0};
    return {{}, static_cast<int>(column_integer(statement, 0))};
}

SqlFailure migrate_records(sqlite3* db, std::span<const Migration> migrations, const std::filesystem::path& path) {
    SqlFailure failure = execute(db, "BEGIN IMMEDIATE", path);
    if (failure.failed()) return failure;
    const FileFormat before = file_format(db, path);
    failure = before.failure;
    for (const Migration& step : migrations) {
        if (failure.failed()) break;
        if (step.format <= before.format) continue;
        failure = execute(db, step.sql, path);
        if (!failure.failed())
            failure = execute(db, ("PRAGMA user_version = " + std::to_string(step.format)).c_str(), path);
    }
    if (!failure.failed()) failure = execute(db, "COMMIT", path);
    if (failure.failed()) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return failure;
}

}  // namespace zizuvu
