#include "records/history_format.hpp"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "records/download_fields.hpp"
#include "records/record_text.hpp"

namespace zizuvu {

namespace {

// One value of a row, as CSV and JSON each write it. Text stored in the row is
// pointed at, not copied: a history is laid out a hundred thousand rows at a time.
struct Field {
    enum class Kind { null, text, number, json, addresses };
    Kind kind = Kind::null;
    std::string_view view;   // text in the row
    std::string made;        // text made for the field, when `view` is empty
    const std::vector<std::uint32_t>* addresses = nullptr;
    std::string_view text() const { return view.empty() ? std::string_view(made) : view; }
};

Field text(std::string_view value) { return {Field::Kind::text, value, {}, nullptr}; }
Field made_text(std::string value) { return {Field::Kind::text, {}, std::move(value), nullptr}; }
Field known_text(std::string_view value) { return value.empty() ? Field{} : text(value); }
Field number(std::int64_t value) { return {Field::Kind::number, {}, std::to_string(value), nullptr}; }
Field number(std::uint64_t value) { return {Field::Kind::number, {}, std::to_string(value), nullptr}; }

Field real(std::optional<double> value) {
    if (!value) return {};
    char written[32];
    std::snprintf(written, sizeof written, "%.3f", *value);
    return {Field::Kind::number, {}, written, nullptr};
}

template <typename Number>
Field known_number(std::optional<Number> value) {
    return value ? number(static_cast<std::int64_t>(*value)) : Field{};
}

Field json(std::string value) {
    return value.empty() ? Field{} : Field{Field::Kind::json, {}, std::move(value), nullptr};
}

Field address_list(const std::vector<std::uint32_t>& addresses) {
    return {Field::Kind::addresses, {}, {}, &addresses};
}

template <typename Row>
struct Column {
    const char* name;
    Field (*value)(const Row&);
};

using DownloadColumn = Column<DownloadRecord>;
using SessionColumn = Column<SessionRecord>;

// Every stored field, in the stored order; the names are the CSV header and the JSON keys.
const DownloadColumn DOWNLOAD_FIELDS[] = {
    {"id", [](const DownloadRecord& r) { return number(r.id); }},
    {"started_utc", [](const DownloadRecord& r) { return text(r.started_utc); }},
    {"ended_utc", [](const DownloadRecord& r) { return known_text(r.ended_utc); }},
    {"duration_seconds", [](const DownloadRecord& r) { return real(r.duration_seconds); }},
    {"host_name", [](const DownloadRecord& r) { return text(r.start.host_name); }},
    {"user_name", [](const DownloadRecord& r) { return text(r.start.user_name); }},
    {"program_version", [](const DownloadRecord& r) { return text(r.start.program_version); }},
    {"port_name", [](const DownloadRecord& r) { return text(r.start.port_name); }},
    {"device_path", [](const DownloadRecord& r) { return text(r.start.device_path); }},
    {"device_by_id", [](const DownloadRecord& r) { return known_text(r.start.device_by_id); }},
    {"adapter_serial", [](const DownloadRecord& r) { return known_text(r.start.adapter_serial); }},
    {"procedure", [](const DownloadRecord& r) { return text(procedure_name(r.start.procedure)); }},
    {"baud_rate", [](const DownloadRecord& r) { return number(std::int64_t{r.start.baud_rate}); }},
    {"operator_answers", [](const DownloadRecord& r) { return text(r.start.operator_answers); }},
    {"radio_serial", [](const DownloadRecord& r) { return known_text(r.start.radio_serial); }},
    {"image_name", [](const DownloadRecord& r) { return text(r.start.image.name); }},
    {"image_record_count", [](const DownloadRecord& r) { return number(std::int64_t{r.start.image.record_count}); }},
    {"image_byte_count", [](const DownloadRecord& r) { return number(std::int64_t{r.start.image.byte_count}); }},
    {"image_crc32", [](const DownloadRecord& r) { return made_text(crc32_text(r.start.image.crc32)); }},
    {"bytes_sent", [](const DownloadRecord& r) { return number(r.finish.bytes_sent); }},
    {"bytes_acknowledged", [](const DownloadRecord& r) { return number(r.finish.bytes_acknowledged); }},
    {"last_address",
     [](const DownloadRecord& r) {
         return r.finish.last_address ? made_text(address_text(*r.finish.last_address)) : Field{};
     }},
    {"questions", [](const DownloadRecord& r) { return json(questions_json(r.finish.questions)); }},
    {"passed_over_addresses", [](const DownloadRecord& r) { return address_list(r.finish.passed_over_addresses); }},
    {"error_number", [](const DownloadRecord& r) { return known_number(r.finish.error_number); }},
    {"outcome", [](const DownloadRecord& r) { return text(outcome_name(r.finish.outcome)); }},
    {"verdict", [](const DownloadRecord& r) { return known_text(r.finish.verdict); }},
    {"writer_pid", [](const DownloadRecord& r) { return number(r.writer.pid); }},
    {"writer_start_ticks", [](const DownloadRecord& r) { return number(r.writer.start_ticks); }},
    {"writer_boot_id", [](const DownloadRecord& r) { return text(r.writer.boot_id); }},
};

const SessionColumn SESSION_FIELDS[] = {
    {"id", [](const SessionRecord& r) { return number(r.id); }},
    {"started_utc", [](const SessionRecord& r) { return text(r.started_utc); }},
    {"ended_utc", [](const SessionRecord& r) { return known_text(r.ended_utc); }},
    {"duration_seconds", [](const SessionRecord& r) { return real(r.duration_seconds); }},
    {"host_name", [](const SessionRecord& r) { return text(r.start.host_name); }},
    {"user_name", [](const SessionRecord& r) { return text(r.start.user_name); }},
    {"port_name", [](const SessionRecord& r) { return text(r.start.port_name); }},
    {"device_path", [](const SessionRecord& r) { return text(r.start.device_path); }},
    {"bytes_received", [](const SessionRecord& r) { return number(r.finish.bytes_received); }},
    {"bytes_sent", [](const SessionRecord& r) { return number(r.finish.bytes_sent); }},
    {"capture_path", [](const SessionRecord& r) { return known_text(r.start.capture_path); }},
    {"state", [](const SessionRecord& r) { return text(session_state_name(r.state)); }},
    {"writer_pid", [](const SessionRecord& r) { return number(r.writer.pid); }},
    {"writer_start_ticks", [](const SessionRecord& r) { return number(r.writer.start_ticks); }},
    {"writer_boot_id", [](const SessionRecord& r) { return text(r.writer.boot_id); }},
};

void append_addresses(std::string& out, const std::vector<std::uint32_t>& addresses, bool as_json) {
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        if (i > 0) out += as_json ? "," : " ";
        if (as_json) out += '"';
        out += address_text(addresses[i]);
        if (as_json) out += '"';
    }
}

void append_csv_value(std::string& out, const Field& field) {
    switch (field.kind) {
    case Field::Kind::null:
        break;
    case Field::Kind::number:
        out += field.text();
        break;
    case Field::Kind::text:
    case Field::Kind::json:
        append_csv_field(out, field.text());
        break;
    case Field::Kind::addresses:
        append_addresses(out, *field.addresses, false);   // hex and blanks: never quoted
        break;
    }
}

void append_json_value(std::string& out, const Field& field) {
    switch (field.kind) {
    case Field::Kind::null:
        out += "null";
        break;
    case Field::Kind::number:
    case Field::Kind::json:
        out += field.text();
        break;
    case Field::Kind::text:
        append_json_string(out, field.text());
        break;
    case Field::Kind::addresses:
        out += '[';
        append_addresses(out, *field.addresses, true);
        out += ']';
        break;
    }
}

// Room for the typical row, so that the text is not copied again and again as it grows.
constexpr std::size_t BYTES_PER_ROW = 1024;

// RFC 4180 ends every record, the header included, with CRLF.
template <typename Row, std::size_t N>
void append_csv_header(std::string& out, const Column<Row> (&columns)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0) out += ',';
        out += columns[i].name;
    }
    out += "\r\n";
}

template <typename Row, std::size_t N>
void append_csv_line(std::string& out, const Row& row, const Column<Row> (&columns)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0) out += ',';
        append_csv_value(out, columns[i].value(row));
    }
    out += "\r\n";
}

template <typename Row, std::size_t N>
void append_json_line(std::string& out, const Row& row, const Column<Row> (&columns)[N]) {
    out += '{';
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0) out += ',';
        out += '"';
        out += columns[i].name;   // plain names: nothing to escape
        out += "\":";
        append_json_value(out, columns[i].value(row));
    }
    out += "}\n";
}

template <typename Row, std::size_t N>
std::string csv(const std::vector<Row>& rows, const Column<Row> (&columns)[N]) {
    std::string out;
    out.reserve((rows.size() + 1) * BYTES_PER_ROW);
    append_csv_header(out, columns);
    for (const Row& row : rows) append_csv_line(out, row, columns);
    return out;
}

template <typename Row, std::size_t N>
std::string json_lines(const std::vector<Row>& rows, const Column<Row> (&columns)[N]) {
    std::string out;
    out.reserve(rows.size() * BYTES_PER_ROW);
    for (const Row& row : rows) append_json_line(out, row, columns);
    return out;
}

// The table's outcome column is 20 wide: the long outcomes have shorter labels.
std::string outcome_label(const DownloadFinish& finish) {
    switch (finish.outcome) {
    case DownloadOutcome::complete_with_bytes_passed_over:
        return "complete+passed over";
    case DownloadOutcome::ended_by_operator:
        return "ended by operator";
    case DownloadOutcome::ended_by_signal:
        return "ended by signal";
    case DownloadOutcome::line_failure:
        return finish.error_number ? "line failure (" + std::to_string(*finish.error_number) + ")" : "line failure";
    default:
        return std::string(outcome_name(finish.outcome));
    }
}

bool unfinished(DownloadOutcome outcome) {
    return outcome == DownloadOutcome::in_progress || outcome == DownloadOutcome::interrupted;
}

struct Cell {
    std::string text;
    std::size_t width;
    bool right = false;   // numbers line up on the right
};

// One line of the table, the cells one blank apart, cut to their width.
std::string table_line(const std::vector<Cell>& cells) {
    std::string out;
    for (const Cell& cell : cells) {
        if (!out.empty()) out += ' ';
        const std::string shown = table_text(cell.text, cell.width);
        const std::string padding(cell.width - shown.size(), ' ');
        out += cell.right ? padding + shown : shown + padding;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out + "\n";
}

// Seconds as "h:mm:ss".
std::string duration_text(std::optional<double> seconds) {
    if (!seconds || *seconds < 0) return "-";
    const long whole = std::lround(*seconds);
    char written[32];
    std::snprintf(written, sizeof written, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    return written;
}

// Started 16, port 4, radio 10, procedure 7, outcome 20, bytes 7, CRC 8 and six
// blanks: 78 columns, so that no terminal wraps.
std::vector<Cell> download_cells(std::string started, std::string port, std::string radio, std::string procedure,
                                 std::string outcome, std::string bytes, std::string crc) {
    return {{std::move(started), 16}, {std::move(port), 4},     {std::move(radio), 10}, {std::move(procedure), 7},
            {std::move(outcome), 20}, {std::move(bytes), 7, true}, {std::move(crc), 8}};
}

// Started 16, port 4, duration 8, received 9, sent 9, state 11, capture 16 and six
// blanks: 79 columns.
std::vector<Cell> session_cells(std::string started, std::string port, std::string duration, std::string received,
                                std::string sent, std::string state, std::string capture) {
    return {{std::move(started), 16},       {std::move(port), 4},     {std::move(duration), 8, true},
            {std::move(received), 9, true}, {std::move(sent), 9, true}, {std::move(state), 11},
            {std::move(capture), 16}};
}

}  // namespace

void append_download_table_header(std::string& out) {
    out += table_line(download_cells("Started (local)", "Port", "Radio", "Proc.", "Outcome", "Bytes", "CRC-32"));
}

void append_download_table_line(std::string& out, const DownloadRecord& row) {
    out += table_line(download_cells(
        local_minute_text(row.started_utc), row.start.port_name,
        row.start.radio_serial.empty() ? "unknown" : row.start.radio_serial,
        std::string(procedure_name(row.start.procedure)), outcome_label(row.finish),
        unfinished(row.finish.outcome) ? "-" : std::to_string(row.finish.bytes_acknowledged),
        crc32_text(row.start.image.crc32)));
}

std::string download_table(const std::vector<DownloadRecord>& rows) {
    if (rows.empty()) return "no downloads found\n";
    std::string out;
    append_download_table_header(out);
    for (const DownloadRecord& row : rows) append_download_table_line(out, row);
    return out;
}

std::string downloads_csv(const std::vector<DownloadRecord>& rows) { return csv(rows, DOWNLOAD_FIELDS); }

std::string downloads_json_lines(const std::vector<DownloadRecord>& rows) { return json_lines(rows, DOWNLOAD_FIELDS); }

void append_downloads_csv_header(std::string& out) { append_csv_header(out, DOWNLOAD_FIELDS); }

void append_download_csv(std::string& out, const DownloadRecord& row) { append_csv_line(out, row, DOWNLOAD_FIELDS); }

void append_download_json_line(std::string& out, const DownloadRecord& row) {
    append_json_line(out, row, DOWNLOAD_FIELDS);
}

std::string session_table(const std::vector<SessionRecord>& rows) {
    if (rows.empty()) return "no sessions found\n";
    std::string out =
        table_line(session_cells("Started (local)", "Port", "Duration", "Received", "Sent", "State", "Capture"));
    for (const SessionRecord& row : rows) {
        out += table_line(session_cells(
            local_minute_text(row.started_utc), row.start.port_name, duration_text(row.duration_seconds),
            std::to_string(row.finish.bytes_received), std::to_string(row.finish.bytes_sent),
            std::string(session_state_name(row.state)),
            row.start.capture_path.empty() ? "-" : std::filesystem::path(row.start.capture_path).filename().string()));
    }
    return out;
}

std::string sessions_csv(const std::vector<SessionRecord>& rows) { return csv(rows, SESSION_FIELDS); }

std::string sessions_json_lines(const std::vector<SessionRecord>& rows) { return json_lines(rows, SESSION_FIELDS); }

void append_sessions_csv_header(std::string& out) { append_csv_header(out, SESSION_FIELDS); }

void append_session_csv(std::string& out, const SessionRecord& row) { append_csv_line(out, row, SESSION_FIELDS); }

void append_session_json_line(std::string& out, const SessionRecord& row) { append_json_line(out, row, SESSION_FIELDS); }

}  // namespace zizuvu
