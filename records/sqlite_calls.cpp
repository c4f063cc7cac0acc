#include "records/sqlite_calls.hpp"

#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace zizuvu {

namespace {

// {path} is the records file, {folder} the folder it is in.
struct ReasonRule {
    int primary_code;   // SQLite's primary result code, or 0 for any
    int error;          // the system's errno, or 0 for any
    const char* text;
};

// The first rule that fits gives the reason; the system's errno comes first where
// SQLite reports the same code for several causes (CANTOPEN, IOERR).
constexpr ReasonRule REASON_RULES[] = {
    {SQLITE_FULL, 0, "disk full"},
    {0, ENOSPC, "disk full"},
    {0, EDQUOT, "disk quota exceeded"},
    {SQLITE_BUSY, 0, "database is locked by another program"},
    {SQLITE_LOCKED, 0, "database is locked by another program"},
    {0, EROFS, "folder is read-only: {folder}"},
    {0, EACCES, "no permission to write in {folder}"},
    {0, EPERM, "no permission to write in {folder}"},
    {SQLITE_READONLY, 0, "records file is read-only: {path}"},
    {SQLITE_PERM, 0, "no permission to write in {folder}"},
    {SQLITE_CANTOPEN, EISDIR, "records file is a folder: {path}"},
    {SQLITE_CANTOPEN, ENOENT, "folder is missing: {folder}"},
    {SQLITE_CANTOPEN, ENOTDIR, "not a folder: {folder}"},
    {SQLITE_CANTOPEN, 0, "cannot open the records file {path}"},
    {SQLITE_CORRUPT, 0, "records file is damaged"},
    {SQLITE_NOTADB, 0, "records file is damaged"},
    {SQLITE_NOMEM, 0, "out of memory"},
    {SQLITE_IOERR, EIO, "input/output error on {path}"},
    {SQLITE_IOERR, 0, "cannot read or write {path}"},
};

std::string filled(std::string text, const std::filesystem::path& path) {
    const auto replace = [&](std::string_view name, const std::string& value) {
        const std::size_t at = text.find(name);
        if (at != std::string::npos) text.replace(at, name.size(), value);
    };
    replace("{path}", path.string());
    replace("{folder}", path.parent_path().string());
    return text;
}

const ReasonRule* rule_for(int primary_code, int error) {
    for (const ReasonRule& rule : REASON_RULES) {
        if (rule.primary_code != 0 && rule.primary_code != primary_code) continue;
        if (rule.error != 0 && rule.error != error) continue;
        return &rule;
    }
    return nullptr;
}

int folder_error(const std::filesystem::path& folder) {
    struct statvfs file_system {};
    if (statvfs(folder.c_str(), &file_system) != 0) return errno;
    if ((file_system.f_flag & ST_RDONLY) != 0) return EROFS;
    if (access(folder.c_str(), W_OK) != 0) return errno;
    return 0;
}

}  // namespace

void prepare(sqlite3* db, std::string_view sql, Statement& statement) {
    sqlite3_finalize(statement.handle);
    statement.handle = nullptr;
    statement.prepare_code =
        sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement.handle, nullptr);
    if (statement.prepare_code != SQLITE_OK) {
        sqlite3_finalize(statement.handle);
        statement.handle = nullptr;
    }
}

void bind_text(Statement& statement, int index, std::string_view text) {
    if (text.empty()) sqlite3_bind_null(statement.handle, index);
    else bind_required_text(statement, index, text);
}

void bind_required_text(Statement& statement, int index, std::string_view text) {
    sqlite3_bind_text64(statement.handle, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void bind_integer(Statement& statement, int index, std::int64_t value) {
    sqlite3_bind_int64(statement.handle, index, value);
}

void bind_optional_integer(Statement& statement, int index, std::optional<std::int64_t> value) {
    if (value) sqlite3_bind_int64(statement.handle, index, *value);
    else sqlite3_bind_null(statement.handle, index);
}

std::string column_text(Statement& statement, int index) {
    const unsigned char* text = sqlite3_column_text(statement.handle, index);
    if (text == nullptr) return "";
    return {reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(statement.handle, index))};
}

std::int64_t column_integer(Statement& statement, int index) { return sqlite3_column_int64(statement.handle, index); }

std::optional<std::int64_t> column_optional_integer(Statement& statement, int index) {
    if (sqlite3_column_type(statement.handle, index) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_int64(statement.handle, index);
}

std::optional<double> column_optional_real(Statement& statement, int index) {
    if (sqlite3_column_type(statement.handle, index) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_double(statement.handle, index);
}

SqlFailure execute(sqlite3* db, const char* sql, const std::filesystem::path& path) {
    const int code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (code == SQLITE_OK) return {};
    return {code, failure_reason(db, code, path)};
}

SqlFailure step_to_end(sqlite3* db, Statement& statement, const std::filesystem::path& path) {
    if (!statement.ok()) return {statement.prepare_code, failure_reason(db, statement.prepare_code, path)};
    int code = SQLITE_ROW;
    while (code == SQLITE_ROW) code = sqlite3_step(statement.handle);
    if (code == SQLITE_DONE) return {};
    return {code, failure_reason(db, code, path)};
}

std::string failure_reason(sqlite3* db, int code, const std::filesystem::path& path) {
    const int primary = code & 0xFF;
    // Only an operating-system failure leaves an errno that belongs to this call.
    const bool system_failure = primary == SQLITE_CANTOPEN || primary == SQLITE_IOERR || primary == SQLITE_FULL ||
                                primary == SQLITE_READONLY;
    int error = (db != nullptr && system_failure) ? sqlite3_system_errno(db) : 0;
    // SQLite names whatever failed first in a folder it may not write in (often a
    // companion file it could not create), so the folder itself is asked.
    if (primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY) {
        const int folder = folder_error(path.parent_path());
        if (folder != 0) error = folder;
    }
    const ReasonRule* rule = rule_for(primary, error);
    if (rule == nullptr) return db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    std::string reason = filled(rule->text, path);
    if (rule->error == 0 && error != 0 && (primary == SQLITE_CANTOPEN || primary == SQLITE_IOERR))
        reason += ": " + std::generic_category().message(error);
    return reason;
}

std::string errno_reason(int error, const std::filesystem::path& path) {
    const ReasonRule* rule = rule_for(0, error);
    if (rule != nullptr) return filled(rule->text, path);
    return path.string() + ": " + std::generic_category().message(error);
}

void undo_savepoint(sqlite3* db, const char* name) {
    // The savepoint may already be gone: SQLite rolls the whole transaction back by
    // itself after some failures (disk full, out of memory).
    const std::string back = std::string("ROLLBACK TO ") + name;
    const std::string release = std::string("RELEASE ") + name;
    sqlite3_exec(db, back.c_str(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, release.c_str(), nullptr, nullptr, nullptr);
}

}  // namespace zizuvu
