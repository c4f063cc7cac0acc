#include "records/session_records.hpp"

#include <array>
#include <utility>

#include "records/record_text.hpp"
#include "records/unwritten_rows.hpp"

namespace zizuvu {

namespace {

constexpr std::array<std::pair<SessionState, std::string_view>, 3> STATE_NAMES{{
    {SessionState::in_progress, "in progress"},
    {SessionState::finished, "finished"},
    {SessionState::interrupted, "interrupted"},
}};

SqlFailure insert_session(sqlite3* db, const SessionStart& start, const WriterIdentity& writer,
                          const std::filesystem::path& path, std::int64_t& id) {
    Statement insert;
    prepare(db,
            "INSERT INTO sessions (started_utc, host_name, user_name, port_name, device_path, capture_path, state,"
            " writer_pid, writer_start_ticks, writer_boot_id)"
            " VALUES (?1, ?2, ?3, ?4, ?5, ?6, 'in progress', ?7, ?8, ?9)",
            insert);
    if (insert.ok()) {
        bind_required_text(insert, 1, utc_text(start.started));
        bind_required_text(insert, 2, start.host_name);
        bind_required_text(insert, 3, start.user_name);
        bind_required_text(insert, 4, start.port_name);
        bind_required_text(insert, 5, start.device_path);
        bind_text(insert, 6, start.capture_path);
        bind_integer(insert, 7, writer.pid);
        bind_integer(insert, 8, static_cast<std::int64_t>(writer.start_ticks));
        bind_required_text(insert, 9, writer.boot_id);
    }
    SqlFailure failure = step_to_end(db, insert, path);
    if (!failure.failed()) id = sqlite3_last_insert_rowid(db);
    return failure;
}

SqlFailure complete_session(sqlite3* db, std::int64_t id, const SessionFinish& finish,
                            const std::filesystem::path& path) {
    Statement update;
    prepare(db,
            "UPDATE sessions SET ended_utc = ?1,"
            " duration_seconds = round((julianday(?1) - julianday(started_utc)) * 86400.0, 3),"
            " bytes_received = ?2, bytes_sent = ?3, capture_path = coalesce(?4, capture_path),"
            " state = 'finished' WHERE id = ?5",
            update);
    if (update.ok()) {
        bind_required_text(update, 1, utc_text(finish.ended));
        bind_integer(update, 2, static_cast<std::int64_t>(finish.bytes_received));
        bind_integer(update, 3, static_cast<std::int64_t>(finish.bytes_sent));
        bind_text(update, 4, finish.capture_path);
        bind_integer(update, 5, id);
    }
    SqlFailure failure = step_to_end(db, update, path);
    if (!failure.failed() && sqlite3_changes(db) == 0)
        return {SQLITE_NOTFOUND, "no session " + std::to_string(id) + " in the records"};
    return failure;
}

}  // namespace

const RowWriter<SessionStart, SessionFinish> SESSION_ROWS{"session", insert_session, complete_session};

std::string_view session_state_name(SessionState state) {
    for (const auto& [known, name] : STATE_NAMES)
        if (known == state) return name;
    return "";
}

std::optional<SessionState> session_state_from_name(std::string_view name) {
    for (const auto& [state, known] : STATE_NAMES)
        if (known == name) return state;
    return std::nullopt;
}

RecordsResult begin_session(RecordStore& store, const SessionStart& start) {
    SessionStart stamped = start;
    if (stamped.started == SystemTime{}) stamped.started = std::chrono::system_clock::now();
    if (stamped.host_name.empty()) stamped.host_name = store.writer.host_name;
    if (stamped.user_name.empty()) stamped.user_name = store.user_name;
    return begin_row(store, store.unwritten_sessions, SESSION_ROWS, stamped);
}

RecordsResult finish_session(RecordStore& store, std::int64_t id, const SessionFinish& finish) {
    SessionFinish stamped = finish;
    if (stamped.ended == SystemTime{}) stamped.ended = std::chrono::system_clock::now();
    return finish_row(store, store.unwritten_sessions, SESSION_ROWS, id, stamped);
}

}  // namespace zizuvu
