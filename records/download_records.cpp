#include "records/download_records.hpp"

#include <array>
#include <utility>

#include "records/download_fields.hpp"
#include "records/record_text.hpp"
#include "records/unwritten_rows.hpp"

namespace zizuvu {

namespace {

constexpr std::array<std::pair<RecordedProcedure, std::string_view>, 3> PROCEDURE_NAMES{{
    {RecordedProcedure::older, "older"},
    {RecordedProcedure::current, "current"},
    {RecordedProcedure::retry, "retry"},
}};

constexpr std::array<std::pair<DownloadOutcome, std::string_view>, 9> OUTCOME_NAMES{{
    {DownloadOutcome::in_progress, "in progress"},
    {DownloadOutcome::complete, "complete"},
    {DownloadOutcome::complete_with_bytes_passed_over, "complete with bytes passed over"},
    {DownloadOutcome::ended_by_operator, "ended by the operator"},
    {DownloadOutcome::attempts_exhausted, "attempts exhausted"},
    {DownloadOutcome::line_failure, "line failure"},
    {DownloadOutcome::ended_by_signal, "ended by a signal"},
    {DownloadOutcome::no_radio_answered, "no radio answered"},
    {DownloadOutcome::interrupted, "interrupted"},
}};

template <typename Value, std::size_t N>
std::string_view name_of(const std::array<std::pair<Value, std::string_view>, N>& names, Value value) {
    for (const auto& [known, name] : names)
        if (known == value) return name;
    return "";
}

template <typename Value, std::size_t N>
std::optional<Value> value_of(const std::array<std::pair<Value, std::string_view>, N>& names, std::string_view name) {
    for (const auto& [value, known] : names)
        if (known == name) return value;
    return std::nullopt;
}

SqlFailure insert_download(sqlite3* db, const DownloadStart& start, const WriterIdentity& writer,
                           const std::filesystem::path& path, std::int64_t& id) {
    Statement insert;
    prepare(db,
            "INSERT INTO downloads (started_utc, host_name, user_name, program_version, port_name, device_path,"
            " device_by_id, adapter_serial, procedure, baud_rate, operator_answers, radio_serial, image_name,"
            " image_record_count, image_byte_count, image_crc32, outcome, writer_pid, writer_start_ticks,"
            " writer_boot_id) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16,"
            " 'in progress', ?17, ?18, ?19)",
            insert);
    if (insert.ok()) {
        bind_required_text(insert, 1, utc_text(start.started));
        bind_required_text(insert, 2, start.host_name);
        bind_required_text(insert, 3, start.user_name);
        bind_required_text(insert, 4, start.program_version);
        bind_required_text(insert, 5, start.port_name);
        bind_required_text(insert, 6, start.device_path);
        bind_text(insert, 7, start.device_by_id);
        bind_text(insert, 8, start.adapter_serial);
        bind_required_text(insert, 9, procedure_name(start.procedure));
        bind_integer(insert, 10, start.baud_rate);
        bind_required_text(insert, 11, start.operator_answers);
        bind_text(insert, 12, start.radio_serial);
        bind_required_text(insert, 13, start.image.name);
        bind_integer(insert, 14, start.image.record_count);
        bind_integer(insert, 15, start.image.byte_count);
        bind_required_text(insert, 16, crc32_text(start.image.crc32));
        bind_integer(insert, 17, writer.pid);
        bind_integer(insert, 18, static_cast<std::int64_t>(writer.start_ticks));
        bind_required_text(insert, 19, writer.boot_id);
    }
    SqlFailure failure = step_to_end(db, insert, path);
    if (!failure.failed()) id = sqlite3_last_insert_rowid(db);
    return failure;
}

SqlFailure complete_download(sqlite3* db, std::int64_t id, const DownloadFinish& finish,
                             const std::filesystem::path& path) {
    Statement update;
    prepare(db,
            "UPDATE downloads SET ended_utc = ?1,"
            " duration_seconds = round((julianday(?1) - julianday(started_utc)) * 86400.0, 3),"
            " outcome = ?2, verdict = ?3, bytes_sent = ?4, bytes_acknowledged = ?5, last_address = ?6,"
            " questions = ?7, passed_over_addresses = ?8, error_number = ?9,"
            " radio_serial = coalesce(?10, radio_serial) WHERE id = ?11",
            update);
    if (update.ok()) {
        bind_required_text(update, 1, utc_text(finish.ended));
        bind_required_text(update, 2, outcome_name(finish.outcome));
        bind_text(update, 3, finish.verdict);
        bind_integer(update, 4, static_cast<std::int64_t>(finish.bytes_sent));
        bind_integer(update, 5, static_cast<std::int64_t>(finish.bytes_acknowledged));
        bind_optional_integer(update, 6, finish.last_address);
        bind_text(update, 7, questions_json(finish.questions));
        bind_text(update, 8, addresses_text(finish.passed_over_addresses));
        bind_optional_integer(update, 9, finish.error_number);
        bind_text(update, 10, finish.radio_serial);
        bind_integer(update, 11, id);
    }
    SqlFailure failure = step_to_end(db, update, path);
    if (!failure.failed() && sqlite3_changes(db) == 0)
        return {SQLITE_NOTFOUND, "no download " + std::to_string(id) + " in the records"};
    return failure;
}

}  // namespace

const RowWriter<DownloadStart, DownloadFinish> DOWNLOAD_ROWS{"download", insert_download, complete_download};

std::string_view procedure_name(RecordedProcedure procedure) { return name_of(PROCEDURE_NAMES, procedure); }

std::optional<RecordedProcedure> procedure_from_name(std::string_view name) { return value_of(PROCEDURE_NAMES, name); }

std::string_view outcome_name(DownloadOutcome outcome) { return name_of(OUTCOME_NAMES, outcome); }

std::optional<DownloadOutcome> outcome_from_name(std::string_view name) { return value_of(OUTCOME_NAMES, name); }

RecordsResult begin_download(RecordStore& store, const DownloadStart& start) {
    DownloadStart stamped = start;
    if (stamped.started == SystemTime{}) stamped.started = std::chrono::system_clock::now();
    if (stamped.host_name.empty()) stamped.host_name = store.writer.host_name;
    if (stamped.user_name.empty()) stamped.user_name = store.user_name;
    return begin_row(store, store.unwritten_downloads, DOWNLOAD_ROWS, stamped);
}

RecordsResult finish_download(RecordStore& store, std::int64_t id, const DownloadFinish& finish) {
    DownloadFinish stamped = finish;
    if (stamped.ended == SystemTime{}) stamped.ended = std::chrono::system_clock::now();
    return finish_row(store, store.unwritten_downloads, DOWNLOAD_ROWS, id, stamped);
}

}  // namespace zizuvu
