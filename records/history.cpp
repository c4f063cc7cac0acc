#include "records/history.hpp"

#include <algorithm>
#include <charconv>

#include "records/download_fields.hpp"
#include "records/record_store.hpp"
#include "records/record_text.hpp"
#include "records/store_access.hpp"

namespace zizuvu {

namespace {

constexpr const char* DOWNLOAD_COLUMNS =
    "id, started_utc, ended_utc, duration_seconds, host_name, user_name, program_version, port_name,"
    " device_path, device_by_id, adapter_serial, procedure, baud_rate, operator_answers, radio_serial,"
    " image_name, image_record_count, image_byte_count, image_crc32, bytes_sent, bytes_acknowledged,"
    " last_address, passed_over_addresses, error_number, outcome, verdict, writer_pid, writer_start_ticks,"
    " writer_boot_id, ";

constexpr const char* SESSION_COLUMNS =
    "id, started_utc, ended_utc, duration_seconds, host_name, user_name, port_name, device_path,"
    " bytes_received, bytes_sent, capture_path, state, writer_pid, writer_start_ticks, writer_boot_id";

struct Condition {
    const char* sql;
    std::string value;
};

// The WHERE clause of the filter's fields that are set, with their values in order;
// the indexes on (radio_serial, started_utc) and (port_name, started_utc) serve them.
struct Selection {
    std::string where;
    std::vector<std::string> values;
    std::string reason;   // the filter's fault, if any
};

Selection selection(const HistoryFilter& filter, bool with_radio_serial) {
    Selection chosen;
    std::vector<Condition> conditions;
    if (with_radio_serial && !filter.radio_serial.empty()) conditions.push_back({"radio_serial = ?", filter.radio_serial});
    if (!filter.port_name.empty()) conditions.push_back({"port_name = ?", filter.port_name});
    if (!filter.since.empty()) {
        const std::optional<std::string> start = local_day_start_utc(filter.since);
        if (!start) {
            chosen.reason = "since: \"" + filter.since + "\" is not a date (YYYY-MM-DD)";
            return chosen;
        }
        conditions.push_back({"started_utc >= ?", *start});
    }
    if (filter.id != 0) conditions.push_back({"id = ?", std::to_string(filter.id)});
    for (const Condition& condition : conditions) {
        chosen.where += chosen.where.empty() ? " WHERE " : " AND ";
        chosen.where += condition.sql;
        chosen.values.push_back(condition.value);
    }
    return chosen;
}

std::int64_t limit_value(const HistoryFilter& filter) {
    return filter.limit == 0 ? -1 : static_cast<std::int64_t>(filter.limit);
}

void bind_selection(Statement& statement, const Selection& chosen) {
    int index = 1;
    for (const std::string& value : chosen.values) bind_required_text(statement, index++, value);
}

// How many rows the query will give: room for them is made at once, as a history
// can be a hundred thousand rows of several hundred bytes.
std::size_t expected_rows(sqlite3* db, const char* table, const Selection& chosen, const HistoryFilter& filter) {
    Statement count;
    prepare(db, std::string("SELECT count(*) FROM ") + table + chosen.where, count);
    if (!count.ok()) return 0;
    bind_selection(count, chosen);
    if (sqlite3_step(count.handle) != SQLITE_ROW) return 0;
    const auto rows = static_cast<std::size_t>(column_integer(count, 0));
    return filter.limit == 0 ? rows : std::min(rows, filter.limit);
}

// Prepares the query with the filter's values bound; the result tells why not.
RecordsResult prepared_query(RecordStore& store, const HistoryFilter& filter, const std::string& columns,
                             const char* table, Statement& query, std::size_t& rows) {
    RecordsResult result;
    const Selection chosen = selection(filter, std::string_view(table) == "downloads");
    if (!chosen.reason.empty()) {
        result.reason = chosen.reason;
        return result;
    }
    sqlite3* db = usable_connection(store, result);
    if (db == nullptr) return result;
    prepare(db, "SELECT " + columns + " FROM " + table + chosen.where + " ORDER BY started_utc DESC, id DESC LIMIT ?",
            query);
    if (!query.ok()) {
        result.reason = failure_reason(db, query.prepare_code, store.path);
        return result;
    }
    bind_selection(query, chosen);
    bind_integer(query, static_cast<int>(chosen.values.size()) + 1, limit_value(filter));
    rows = expected_rows(db, table, chosen, filter);
    result.ok = true;
    return result;
}

std::uint32_t crc_from_text(std::string_view text) {
    std::uint32_t crc = 0;
    std::from_chars(text.data(), text.data() + text.size(), crc, 16);
    return crc;
}

WriterIdentity writer_from(Statement& row, int pid_column, const std::string& host_name) {
    WriterIdentity writer;
    writer.pid = column_integer(row, pid_column);
    writer.start_ticks = static_cast<std::uint64_t>(column_integer(row, pid_column + 1));
    writer.boot_id = column_text(row, pid_column + 2);
    writer.host_name = host_name;
    return writer;
}

std::chrono::system_clock::time_point time_of(const std::string& utc) {
    return time_from_utc_text(utc).value_or(std::chrono::system_clock::time_point{});
}

void download_from(Statement& row, DownloadRecord& record) {
    record.id = column_integer(row, 0);
    record.started_utc = column_text(row, 1);
    record.ended_utc = column_text(row, 2);
    record.duration_seconds = column_optional_real(row, 3);
    DownloadStart& start = record.start;
    start.started = time_of(record.started_utc);
    start.host_name = column_text(row, 4);
    start.user_name = column_text(row, 5);
    start.program_version = column_text(row, 6);
    start.port_name = column_text(row, 7);
    start.device_path = column_text(row, 8);
    start.device_by_id = column_text(row, 9);
    start.adapter_serial = column_text(row, 10);
    start.procedure = procedure_from_name(column_text(row, 11)).value_or(RecordedProcedure::current);
    start.baud_rate = static_cast<std::uint32_t>(column_integer(row, 12));
    start.operator_answers = column_text(row, 13);
    start.radio_serial = column_text(row, 14);
    start.image.name = column_text(row, 15);
    start.image.record_count = static_cast<std::uint32_t>(column_integer(row, 16));
    start.image.byte_count = static_cast<std::uint32_t>(column_integer(row, 17));
    start.image.crc32 = crc_from_text(column_text(row, 18));
    DownloadFinish& finish = record.finish;
    finish.ended = time_of(record.ended_utc);
    finish.bytes_sent = static_cast<std::uint64_t>(column_integer(row, 19));
    finish.bytes_acknowledged = static_cast<std::uint64_t>(column_integer(row, 20));
    const auto address = column_optional_integer(row, 21);
    finish.last_address = address ? std::optional(static_cast<std::uint32_t>(*address)) : std::nullopt;
    finish.passed_over_addresses = addresses_from_text(column_text(row, 22));
    const auto error = column_optional_integer(row, 23);
    finish.error_number = error ? std::optional(static_cast<int>(*error)) : std::nullopt;
    finish.outcome = outcome_from_name(column_text(row, 24)).value_or(DownloadOutcome::in_progress);
    finish.verdict = column_text(row, 25);
    finish.radio_serial = start.radio_serial;
    record.writer = writer_from(row, 26, start.host_name);
    finish.questions = questions_from_rows(column_text(row, 29));
}

void session_from(Statement& row, SessionRecord& record) {
    record.id = column_integer(row, 0);
    record.started_utc = column_text(row, 1);
    record.ended_utc = column_text(row, 2);
    record.duration_seconds = column_optional_real(row, 3);
    record.start.started = time_of(record.started_utc);
    record.start.host_name = column_text(row, 4);
    record.start.user_name = column_text(row, 5);
    record.start.port_name = column_text(row, 6);
    record.start.device_path = column_text(row, 7);
    record.finish.ended = time_of(record.ended_utc);
    record.finish.bytes_received = static_cast<std::uint64_t>(column_integer(row, 8));
    record.finish.bytes_sent = static_cast<std::uint64_t>(column_integer(row, 9));
    record.start.capture_path = column_text(row, 10);
    record.finish.capture_path = record.start.capture_path;
    record.state = session_state_from_name(column_text(row, 11)).value_or(SessionState::in_progress);
    record.writer = writer_from(row, 12, record.start.host_name);
}

// Every row that passes, each read into `record` (which `each` may keep or not).
template <typename Record, typename Read, typename Each>
RecordsResult each_row(RecordStore& store, const HistoryFilter& filter, const std::string& columns, const char* table,
                       Read read, std::size_t& expected, Each each) {
    Statement query;
    RecordsResult result = prepared_query(store, filter, columns, table, query, expected);
    if (!result.ok) return result;
    int code = SQLITE_ROW;
    Record record;
    while ((code = sqlite3_step(query.handle)) == SQLITE_ROW) {
        read(query, record);
        each(record);
    }
    if (code != SQLITE_DONE) result = {false, failure_reason(store.db.get(), code, store.path), 0};
    return result;
}

template <typename History, typename Read>
History read_history(RecordStore& store, const HistoryFilter& filter, const std::string& columns, const char* table,
                     Read read) {
    using Record = typename decltype(History::rows)::value_type;
    History history;
    std::size_t expected = 0;
    history.result = each_row<Record>(store, filter, columns, table, read, expected, [&](Record& record) {
        if (history.rows.empty()) history.rows.reserve(expected);
        history.rows.push_back(std::move(record));
    });
    if (!history.result.ok) history.rows.clear();
    return history;
}

std::string download_columns() { return std::string(DOWNLOAD_COLUMNS) + QUESTION_ROWS_SQL; }

}  // namespace

DownloadHistory query_downloads(RecordStore& store, const HistoryFilter& filter) {
    return read_history<DownloadHistory>(store, filter, download_columns(), "downloads", download_from);
}

SessionHistory query_sessions(RecordStore& store, const HistoryFilter& filter) {
    return read_history<SessionHistory>(store, filter, SESSION_COLUMNS, "sessions", session_from);
}

RecordsResult each_download(RecordStore& store, const HistoryFilter& filter,
                            const std::function<void(const DownloadRecord&)>& each) {
    std::size_t expected = 0;
    return each_row<DownloadRecord>(store, filter, download_columns(), "downloads", download_from, expected, each);
}

RecordsResult each_session(RecordStore& store, const HistoryFilter& filter,
                           const std::function<void(const SessionRecord&)>& each) {
    std::size_t expected = 0;
    return each_row<SessionRecord>(store, filter, SESSION_COLUMNS, "sessions", session_from, expected, each);
}

}  // namespace zizuvu
