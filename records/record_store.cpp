#include "records/record_store.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "records/schema.hpp"
#include "records/store_access.hpp"
#include "records/unwritten_rows.hpp"

namespace zizuvu {

namespace {

// Creates each missing folder on the way, readable by the user alone: the records
// name people, radios and places.
std::string make_folder(const std::filesystem::path& folder) {
    std::filesystem::path made;
    for (const std::filesystem::path& part : folder) {
        made /= part;
        if (mkdir(made.c_str(), 0700) == 0) continue;
        const int error = errno;
        if (error != EEXIST && access(made.c_str(), F_OK) != 0) return errno_reason(error, made);
    }
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0) return errno_reason(errno, folder);
    if (!S_ISDIR(info.st_mode)) return "not a folder: " + folder.string();
    return "";
}

enum class FileHealth { sound, damaged, unusable };

struct FileCheck {
    FileHealth health = FileHealth::sound;
    SqlFailure failure;
    int format = 0;
};

bool is_damage(const SqlFailure& failure) {
    const int primary = failure.code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// Every SQLite database starts so; an empty file is a new one. What starts otherwise
// is judged before SQLite opens it, as SQLite would delete a write-ahead log beside
// it that it cannot use, and that log belongs to what is set aside.
bool starts_as_database(const std::filesystem::path& path) {
    constexpr char HEADER[] = "SQLite format 3";   // with its terminating zero: 16 bytes
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file < 0) return true;   // missing, or for SQLite to report
    char start[sizeof HEADER] = {};
    const ssize_t got = read(file, start, sizeof start);
    close(file);
    return got == 0 || (got == static_cast<ssize_t>(sizeof start) && std::memcmp(start, HEADER, sizeof start) == 0);
}

FileCheck check_file(sqlite3* db, const std::filesystem::path& path) {
    FileCheck check;
    const FileFormat format = file_format(db, path);
    check.format = format.format;
    if (format.failure.failed()) {
        check.health = is_damage(format.failure) ? FileHealth::damaged : FileHealth::unusable;
        check.failure = format.failure;
        return check;
    }
    if (check.format > RECORDS_FORMAT) return check;
    Statement quick_check;
    prepare(db, "PRAGMA quick_check(1)", quick_check);
    int code = quick_check.ok() ? sqlite3_step(quick_check.handle) : quick_check.prepare_code;
    if (code == SQLITE_ROW && column_text(quick_check, 0) != "ok") code = SQLITE_CORRUPT;
    if (code != SQLITE_ROW) {
        check.failure = {code, failure_reason(db, code, path)};
        check.health = is_damage(check.failure) ? FileHealth::damaged : FileHealth::unusable;
        return check;
    }
    // A file that claims a format but lacks its tables is not a records file.
    Statement tables;
    prepare(db, "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name IN ('downloads', 'sessions')",
            tables);
    code = tables.ok() ? sqlite3_step(tables.handle) : tables.prepare_code;
    if (code != SQLITE_ROW) {
        check.failure = {code, failure_reason(db, code, path)};
        check.health = FileHealth::unusable;
    } else if (check.format >= 1 && column_integer(tables, 0) != 2) {
        check.health = FileHealth::damaged;
    }
    return check;
}

struct Connection {
    std::unique_ptr<sqlite3, SqliteCloser> db;
    SqlFailure failure;
};

Connection connect(const std::filesystem::path& path, const RecordsOptions& options) {
    Connection connection;
    sqlite3* db = nullptr;
    const int code = sqlite3_open_v2(path.c_str(), &db,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX |
                                         SQLITE_OPEN_EXRESCODE,
                                     nullptr);
    connection.db.reset(db);
    if (code != SQLITE_OK) {
        connection.failure = {code, failure_reason(db, code, path)};
        connection.db.reset();
        return connection;
    }
    sqlite3_busy_timeout(db, static_cast<int>(options.busy_timeout.count()));
    return connection;
}

// WAL lets the history be read while another program writes, and two programs write
// one after the other without failing. Every write here is one that matters (the
// start and the end of a download or session), so each is on the disk before it returns.
// Turning a new file to WAL takes it for a moment alone, and SQLite refuses that at
// once, without the wait it allows a write, while another program reads the file: as
// several programs opening a new file at once all do. So it is tried again, within
// the time a write would wait.
SqlFailure set_up_connection(sqlite3* db, const std::filesystem::path& path, std::chrono::milliseconds patience) {
    const auto give_up = std::chrono::steady_clock::now() + patience;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        Statement journal;
        prepare(db, "PRAGMA journal_mode = WAL", journal);
        SqlFailure failure = step_to_end(db, journal, path);
        if (!failure.failed()) break;
        if ((failure.code & 0xFF) != SQLITE_BUSY || std::chrono::steady_clock::now() >= give_up) return failure;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    return execute(db, "PRAGMA synchronous = FULL", path);
}

std::string newer_format_reason(int format) {
    return "records file is from a newer version of the program (format " + std::to_string(format) +
           "; this one knows up to " + std::to_string(RECORDS_FORMAT) + "): left as it is";
}

struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool exists = false;
    friend bool operator==(const FileId&, const FileId&) = default;
};

FileId file_id(const std::filesystem::path& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return {};
    return {info.st_dev, info.st_ino, true};
}

// One try at the file: open and sound, damaged (and closed again), or not to be had.
struct Attempt {
    enum State { sound, damaged, failed } state = failed;
    Connection connection;
    int format = 0;
    std::string reason;
    FileId checked;   // the file judged, to tell whether another program has replaced it since
};

Attempt try_file(const std::filesystem::path& path, const RecordsOptions& options) {
    Attempt attempt;
    // A folder, a pipe or a device under the file's name is no damaged file: it is
    // named, and left alone.
    attempt.checked = file_id(path);
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        attempt.reason = (S_ISDIR(info.st_mode) ? "records file is a folder: " : "records file is not a file: ") +
                         path.string();
        return attempt;
    }
    if (!starts_as_database(path)) {
        attempt.state = Attempt::damaged;
        return attempt;
    }
    attempt.connection = connect(path, options);
    if (attempt.connection.failure.failed()) {
        attempt.reason = attempt.connection.failure.reason;
        return attempt;
    }
    sqlite3* db = attempt.connection.db.get();
    // Closing would copy the write-ahead log into the file: not into a damaged one.
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    const FileCheck check = check_file(db, path);
    attempt.format = check.format;
    if (check.health == FileHealth::damaged) {
        attempt.connection.db.reset();
        attempt.state = Attempt::damaged;
    } else if (check.health == FileHealth::unusable) {
        attempt.reason = check.failure.reason;
    } else if (check.format > RECORDS_FORMAT) {
        attempt.reason = newer_format_reason(check.format);
    } else {
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
        attempt.state = Attempt::sound;
    }
    return attempt;
}

// At most this many files set aside in one opening: another program may be setting
// the same damaged file aside at the same moment.
constexpr int OPENING_ATTEMPTS = 3;

}  // namespace

void SqliteCloser::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

std::filesystem::path default_records_path() {
    const char* state_home = std::getenv("XDG_STATE_HOME");
    // A relative XDG_STATE_HOME is to be ignored.
    if (state_home != nullptr && state_home[0] == '/') return std::filesystem::path(state_home) / "zizuvu/records.sqlite3";
    const char* home = std::getenv("HOME");
    std::string home_folder = (home != nullptr && home[0] == '/') ? home : "";
    if (home_folder.empty()) {
        passwd entry{};
        passwd* user = nullptr;
        char buffer[4096];
        if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &user) == 0 && user != nullptr &&
            user->pw_dir != nullptr && user->pw_dir[0] == '/')
            home_folder = user->pw_dir;
    }
    if (home_folder.empty()) return {};
    return std::filesystem::path(home_folder) / ".local/state/zizuvu/records.sqlite3";
}

StoreOpening open_store_file(RecordStore& store) {
    StoreOpening opening;
    const std::filesystem::path& path = store.path;
    if (path.empty()) {
        opening.result.reason = "no folder for the records: neither XDG_STATE_HOME nor a home folder is known";
        return opening;
    }
    opening.result.reason = make_folder(path.has_parent_path() ? path.parent_path() : ".");
    if (!opening.result.reason.empty()) return opening;
    for (int attempt = 0; attempt < OPENING_ATTEMPTS; ++attempt) {
        Attempt tried = try_file(path, store.options);
        if (tried.state == Attempt::failed) {
            opening.result.reason = tried.reason;
            return opening;
        }
        if (tried.state == Attempt::damaged) {
            // Another program may have set it aside and started a new one already.
            if (!(file_id(path) == tried.checked)) continue;
            const SetAside aside = set_aside(path);
            if (aside.name.empty()) {
                opening.result.reason = "records file is damaged and could not be set aside: " + aside.reason;
                return opening;
            }
            opening.notice = "records file was damaged: kept as " + aside.name.string() + ", started a new one";
            continue;
        }
        sqlite3* db = tried.connection.db.get();
        SqlFailure failure = set_up_connection(db, path, store.options.busy_timeout);
        if (!failure.failed() && tried.format < RECORDS_FORMAT) failure = migrate_records(db, RECORDS_MIGRATIONS, path);
        if (failure.failed()) {
            opening.result.reason = failure.reason;
            return opening;
        }
        opening.rows_interrupted = std::max(0, mark_interrupted_rows(db, store.writer, path));
        store.db = std::move(tried.connection.db);
        store.not_open_reason.clear();
        opening.result = {true, "", 0};
        return opening;
    }
    opening.result.reason = "records file is damaged again each time it is started anew";
    return opening;
}

sqlite3* usable_connection(RecordStore& store, RecordsResult& result) {
    if (!store.db) {
        const StoreOpening opening = open_store_file(store);
        if (!opening.result.ok) store.not_open_reason = opening.result.reason;
    }
    if (!store.db) result.reason = store.not_open_reason;
    return store.db.get();
}

RecordsOpening open_records(const std::filesystem::path& path, const RecordsOptions& options) {
    RecordsOpening opening;
    opening.store.path = path;
    opening.store.options = options;
    opening.store.writer = this_writer();
    opening.store.user_name = process_user_name();
    StoreOpening file = open_store_file(opening.store);
    if (!file.result.ok) opening.store.not_open_reason = file.result.reason;
    opening.result = std::move(file.result);
    opening.notice = std::move(file.notice);
    opening.rows_interrupted = file.rows_interrupted;
    return opening;
}

RecordsResult close_records(RecordStore& store) {
    RecordsResult result;
    result.ok = true;
    if (!store.unwritten_downloads.empty() || !store.unwritten_sessions.empty()) result = flush_unwritten(store);
    store.db.reset();
    if (store.not_open_reason.empty()) store.not_open_reason = "records closed";
    return result;
}

}  // namespace zizuvu
