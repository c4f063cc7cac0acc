#pragma once
// The file's format and the steps that bring an older file up to date.
//
//   Migration          the SQL that takes a file from the format before to `format`
//   RECORDS_MIGRATIONS every step, in order; the last one's format is RECORDS_FORMAT
//   file_format        PRAGMA user_version of an open file
//   migrate_records    apply the steps a file lacks, all in one transaction

#include <span>

#include "records/sqlite_calls.hpp"

namespace zizuvu {

struct Migration {
    int format;
    const char* sql;
};

extern const std::span<const Migration> RECORDS_MIGRATIONS;

struct FileFormat {
    SqlFailure failure;
    int format = 0;
};

FileFormat file_format(sqlite3* db, const std::filesystem::path& path);

// Takes the write lock before it reads the format again, so that two programs
// opening a new file at once apply each step once.
SqlFailure migrate_records(sqlite3* db, std::span<const Migration> migrations, const std::filesystem::path& path);

}  // namespace zizuvu
