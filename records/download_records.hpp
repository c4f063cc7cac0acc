#pragma once
// One row per download attempt: written when the download starts, so that a crash
// leaves an honest "interrupted" rather than nothing, and completed when it ends.
//
//   RecordedProcedure, procedure_name   "older" (X.71 and older), "current" (X.72 and newer), "retry"
//   DownloadOutcome, outcome_name       "complete", "line failure", ... as stored and shown
//   outcome_from_name                   back from the stored text
//   FirmwareImageIdentity               which image went in: name, records, bytes, CRC-32
//   DownloadStart                       what is known when the download starts
//   QuestionTally                       how often a question was answered with a key
//   DownloadFinish                      how it ended
//   begin_download                      writes the row as "in progress" and commits it; the id to finish
//   finish_download                     completes the row
//
// Text left empty is stored as unknown (NULL) where the field may be unknown: the
// by-id name, the adapter's serial number, the radio's serial number.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/records_result.hpp"

namespace zizuvu {

struct RecordStore;

enum class RecordedProcedure { older, current, retry };

enum class DownloadOutcome {
    in_progress,
    complete,
    complete_with_bytes_passed_over,
    ended_by_operator,
    attempts_exhausted,   // unattended: the same byte failed as often as allowed
    line_failure,
    ended_by_signal,
    no_radio_answered,
    interrupted,   // set by the store, never by a writer: the writer stopped before its finish
};

std::string_view procedure_name(RecordedProcedure procedure);
std::optional<RecordedProcedure> procedure_from_name(std::string_view name);
std::string_view outcome_name(DownloadOutcome outcome);
std::optional<DownloadOutcome> outcome_from_name(std::string_view name);

struct FirmwareImageIdentity {
    std::string name;
    std::uint32_t record_count = 0;
    std::uint32_t byte_count = 0;
    std::uint32_t crc32 = 0;   // stored as 8 upper-case hex digits
};

struct DownloadStart {
    std::chrono::system_clock::time_point started{};   // left at its default: the time of begin_download
    std::string host_name;                              // left empty: this machine's
    std::string user_name;                              // left empty: this process's user
    std::string program_version;
    std::string port_name;        // "Com1"
    std::string device_path;      // "/dev/ttyUSB0"
    std::string device_by_id;     // "/dev/serial/by-id/usb-..."
    std::string adapter_serial;   // the USB adapter's serial number
    RecordedProcedure procedure = RecordedProcedure::current;
    std::uint32_t baud_rate = 0;
    std::string operator_answers; // the answers to the opening questions, as shown
    std::string radio_serial;
    FirmwareImageIdentity image;
};

// Stored as a JSON object of objects: {"wrong echo":{"P":2,"R":1}}.
struct QuestionTally {
    std::string question;
    std::string key;
    std::uint32_t count = 0;
};

struct DownloadFinish {
    std::chrono::system_clock::time_point ended{};   // left at its default: the time of finish_download
    DownloadOutcome outcome = DownloadOutcome::complete;
    std::string verdict;                   // the text shown at the end
    std::uint64_t bytes_sent = 0;
    std::uint64_t bytes_acknowledged = 0;
    std::optional<std::uint32_t> last_address;
    std::vector<QuestionTally> questions;
    std::vector<std::uint32_t> passed_over_addresses;   // bytes passed over after a mismatch
    std::optional<int> error_number;                    // when the line failed
    std::string radio_serial;   // learnt during the download; empty keeps the start's
};

// The id is also set when the start could not be written (it is negative then):
// pass it to finish_download, which writes the whole row when it can.
RecordsResult begin_download(RecordStore& store, const DownloadStart& start);
RecordsResult finish_download(RecordStore& store, std::int64_t id, const DownloadFinish& finish);

}  // namespace zizuvu
