#include <filesystem>

#include "app/bench_records.hpp"
#include "app/program_version.hpp"
#include "platform/port_number.hpp"
#include "ports/serial_devices.hpp"
#include "records/download_records.hpp"
#include "records/history.hpp"
#include "records/history_format.hpp"
#include "records/record_store.hpp"
#include "records/session_records.hpp"

namespace zizuvu {
namespace {

RecordedProcedure recorded(DownloadProcedure procedure) {
    switch (procedure) {
        case DownloadProcedure::older: return RecordedProcedure::older;
        case DownloadProcedure::retry: return RecordedProcedure::retry;
        case DownloadProcedure::current: break;
    }
    return RecordedProcedure::current;
}

DownloadOutcome outcome_of(const DownloadReport& report) {
    switch (report.end) {
        case DownloadEnd::complete:
            return report.passed_over.empty() ? DownloadOutcome::complete
                                              : DownloadOutcome::complete_with_bytes_passed_over;
        case DownloadEnd::ended_by_operator: return DownloadOutcome::ended_by_operator;
        case DownloadEnd::attempts_exhausted: return DownloadOutcome::attempts_exhausted;
        case DownloadEnd::line_failure: return DownloadOutcome::line_failure;
        case DownloadEnd::ended_by_signal: return DownloadOutcome::ended_by_signal;
        case DownloadEnd::no_radio_answered: return DownloadOutcome::no_radio_answered;
        case DownloadEnd::in_progress: break;
    }
    return DownloadOutcome::in_progress;
}

constexpr const char* QUESTION_NAMES[QUESTION_KINDS] = {"address stall", "wrong address echo", "transmit error",
                                                        "data stall", "wrong data"};
constexpr const char* ANSWER_NAMES[QUESTION_ANSWERS] = {"retry", "go on", "escape"};

std::vector<QuestionTally> tallies_of(const DownloadReport& report) {
    std::vector<QuestionTally> tallies;
    for (std::size_t kind = 0; kind < QUESTION_KINDS; ++kind) {
        const QuestionCounts& counts = report.questions[kind];
        for (std::size_t answer = 0; answer < QUESTION_ANSWERS; ++answer) {
            if (counts.answered[answer] > 0) {
                tallies.push_back({QUESTION_NAMES[kind], ANSWER_NAMES[answer],
                                   static_cast<std::uint32_t>(counts.answered[answer])});
            }
        }
    }
    return tallies;
}

// The by-id name and the adapter's serial number of the device a port opens, where
// the machine tells them.
SerialDevice adapter_of(const std::string& device) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(device, error);
    if (error) return SerialDevice{};
    for (const SerialDevice& found : list_serial_devices()) {
        if (found.path == real.string()) return found;
    }
    return SerialDevice{};
}

std::string remembered(const RecordsResult& result) { return result.ok ? std::string() : result.reason; }

}  // namespace

struct BenchRecords::Store {
    Session& session;
    const Downloads& downloads;
    std::filesystem::path path;
    std::optional<RecordStore> store;
    std::string problem;  // the last record that could not be written
    std::string notice;   // what the opening found
    std::int64_t download_id = 0;
    std::int64_t session_id = 0;
    std::string port_name;       // for the download rows; empty: the session's
    DownloadStart last_start;    // kept for a row that could not be written
    DownloadFinish last_finish;
};

BenchRecords::BenchRecords(Session& session, const Downloads& downloads)
    : store_(std::make_unique<Store>(Store{session, downloads, {}, std::nullopt, {}, {}, 0, 0, {}, {}, {}})) {}

BenchRecords::~BenchRecords() {
    if (store_->store) [[maybe_unused]] const RecordsResult closed = close_records(*store_->store);
}

bool BenchRecords::open(const std::optional<std::string>& path) {
    store_->path = path ? std::filesystem::path(*path) : default_records_path();
    if (store_->path.empty()) {
        store_->problem = "no folder for them (neither XDG_STATE_HOME nor HOME is set)";
        return false;
    }
    RecordsOpening opening = open_records(store_->path);
    store_->notice = opening.notice;
    if (!opening.result.ok) {
        store_->problem = opening.result.reason;
        return false;
    }
    store_->store.emplace(std::move(opening.store));
    return true;
}

RecordsStatus BenchRecords::status() const {
    if (!store_->problem.empty()) return {"not recorded: " + store_->problem, true};
    if (!store_->notice.empty()) return {store_->notice, true};
    return {store_->path.string(), false};
}

void BenchRecords::name_port(const std::string& name) { store_->port_name = name; }

std::int64_t BenchRecords::download_id() const { return store_->download_id; }

std::string BenchRecords::download_json() const {
    if (store_->store && store_->download_id != 0) {
        HistoryFilter filter;
        filter.id = store_->download_id;
        const DownloadHistory stored = query_downloads(*store_->store, filter);
        if (stored.result.ok && stored.rows.size() == 1) return downloads_json_lines(stored.rows);
    }
    DownloadRecord known;
    known.start = store_->last_start;
    known.finish = store_->last_finish;
    return downloads_json_lines({known});
}

std::string BenchRecords::download_started(const DownloadReport& report) {
    store_->download_id = 0;
    const std::string port_name = store_->session.port_settings.port_name;
    const DownloadImage& image = store_->downloads.image;
    DownloadStart& start = store_->last_start;
    start = DownloadStart{};
    start.program_version = std::string(PROGRAM_VERSION);
    start.port_name = store_->port_name.empty() ? port_name : store_->port_name;
    start.device_path = port_device(port_name);
    const SerialDevice adapter = adapter_of(start.device_path);
    start.device_by_id = adapter.by_id;
    start.adapter_serial = adapter.serial_number;
    start.procedure = recorded(report.procedure);
    start.baud_rate = static_cast<std::uint32_t>(report.speed);
    start.operator_answers = report.answers;
    start.image = FirmwareImageIdentity{image.built_in ? "built-in (" + image.name + ")" : image.name,
                                        static_cast<std::uint32_t>(image.table.record_count),
                                        static_cast<std::uint32_t>(image.bytes_to_send), image.crc32};
    if (!store_->store) return store_->problem;
    const RecordsResult begun = begin_download(*store_->store, start);
    store_->download_id = begun.id;
    store_->problem = remembered(begun);
    return store_->problem;
}

std::string BenchRecords::download_ended(const DownloadReport& report, const Verdict& verdict) {
    DownloadFinish& finish = store_->last_finish;
    finish = DownloadFinish{};
    finish.outcome = outcome_of(report);
    finish.verdict = verdict.text;
    finish.bytes_sent = static_cast<std::uint64_t>(report.bytes_acknowledged + static_cast<long>(report.passed_over.size()));
    finish.bytes_acknowledged = static_cast<std::uint64_t>(report.bytes_acknowledged);
    if (report.last_address) finish.last_address = *report.last_address;
    finish.questions = tallies_of(report);
    finish.passed_over_addresses.assign(report.passed_over.begin(), report.passed_over.end());
    if (report.line_error != 0) finish.error_number = report.line_error;
    if (report.radio_serial) finish.radio_serial = std::to_string(*report.radio_serial);
    if (!store_->store) return store_->problem;
    store_->problem = remembered(finish_download(*store_->store, store_->download_id, finish));
    return store_->problem;
}

std::string BenchRecords::session_started(const std::string& port_name, const std::string& capture_path) {
    if (!store_->store) return store_->problem;
    SessionStart start;
    start.port_name = port_name;
    start.device_path = port_device(port_name);
    start.capture_path = capture_path;
    const RecordsResult begun = begin_session(*store_->store, start);
    store_->session_id = begun.id;
    store_->problem = remembered(begun);
    return store_->problem;
}

std::string BenchRecords::session_ended(std::uint64_t bytes_received, std::uint64_t bytes_sent) {
    if (!store_->store) return store_->problem;
    SessionFinish finish;
    finish.bytes_received = bytes_received;
    finish.bytes_sent = bytes_sent;
    store_->problem = remembered(finish_session(*store_->store, store_->session_id, finish));
    return store_->problem;
}

}  // namespace zizuvu
