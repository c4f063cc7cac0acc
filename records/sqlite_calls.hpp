#pragma once
// The SQLite C calls the store makes, wrapped so that every statement is finalised
// on every path and every failure becomes the operator's short text.
//
//   Statement         a prepared statement, finalised when it goes
//   prepare           compile one statement (check ok())
//   bind_* / column_*   values in and out; empty text and nullopt are NULL
//   execute           run statements that return no rows
//   SqlFailure        a failed call: its result code and the short reason
//   failure_reason    the short text for a failed call: "disk full", "folder is read-only: /x"
//   errno_reason      the same for a failed system call on a path
//   undo_savepoint    after a failure inside a savepoint: back to where it began

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zizuvu {

struct Statement {
    sqlite3_stmt* handle = nullptr;
    int prepare_code = SQLITE_OK;

    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(handle); }
    bool ok() const { return handle != nullptr; }
};

// Compiles into `statement` (a Statement cannot be moved, so it is filled in place).
void prepare(sqlite3* db, std::string_view sql, Statement& statement);

void bind_text(Statement& statement, int index, std::string_view text);   // empty: NULL
void bind_required_text(Statement& statement, int index, std::string_view text);
void bind_integer(Statement& statement, int index, std::int64_t value);
void bind_optional_integer(Statement& statement, int index, std::optional<std::int64_t> value);

std::string column_text(Statement& statement, int index);   // NULL: ""
std::int64_t column_integer(Statement& statement, int index);
std::optional<std::int64_t> column_optional_integer(Statement& statement, int index);
std::optional<double> column_optional_real(Statement& statement, int index);

struct SqlFailure {
    int code = SQLITE_OK;
    std::string reason;
    bool failed() const { return code != SQLITE_OK; }
};

SqlFailure execute(sqlite3* db, const char* sql, const std::filesystem::path& path);
// Runs a statement that returns no rows; for one that failed to prepare, why it did.
SqlFailure step_to_end(sqlite3* db, Statement& statement, const std::filesystem::path& path);

std::string failure_reason(sqlite3* db, int code, const std::filesystem::path& path);
std::string errno_reason(int error, const std::filesystem::path& path);

void undo_savepoint(sqlite3* db, const char* name);

}  // namespace zizuvu
