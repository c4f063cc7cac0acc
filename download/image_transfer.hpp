#pragma once
// The record loop every download runs over the image: each non-empty record counted
// for the download's own progress line, each sent record's bytes exchanged at raised
// priority by the download's own per-byte exchange, the progress bar between records,
// and the end after the record that finishes the image, on an Escape between records,
// or when the operator ends the download at one of its questions. The download's
// report counts what went through.
//
//   ByteStep         what the per-byte exchange says about the byte it handled
//   transfer_image   the loop; returns when the download is to finish

#include "download/download_link.hpp"
#include "download/download_procedures.hpp"
#include "download/progress_bar.hpp"
#include "download/table_walk.hpp"
#include "platform/process_priority.hpp"

namespace zizuvu {

enum class ByteStep {
    next,          // the byte is through and acknowledged: on to the next address
    passed_over,   // the operator went on past a mismatch: on to the next address
    same_again,    // start the same byte again (after a resynchronisation)
    end_download,  // the operator ended the download
};

// show_progress_line(const TableWalk&); exchange_byte(std::uint16_t address,
// std::uint8_t data) -> ByteStep. Both are the download's own; nothing here allocates
// but a byte passed over, which only the operator can decide.
// For the whole walk, priority drops between records included: a processor that
// dozed off between two records would be slow to wake for the next one.
struct ProcessorsAwake {
    ProcessorsAwake() { keep_processors_awake(true); }
    ~ProcessorsAwake() { keep_processors_awake(false); }
    ProcessorsAwake(const ProcessorsAwake&) = delete;
    ProcessorsAwake& operator=(const ProcessorsAwake&) = delete;
};

template <class ShowProgressLine, class ExchangeByte>
void transfer_image(Session& session, Downloads& downloads, ShowProgressLine&& show_progress_line,
                    ExchangeByte&& exchange_byte) {
    const ProcessorsAwake awake;
    DownloadReport& report = downloads.report;
    report.phase = DownloadPhase::programming;
    TableWalk walk;
    start_walk(walk, downloads.image.table, downloads.record_buffer);
    ProgressBar bar(downloads.image.bytes_to_send);
    for (RecordStep step; (step = next_record(walk)) != RecordStep::end_of_table;) {
        show_progress_line(walk);
        if (step == RecordStep::skipped) continue;
        raise_priority();
        ByteStep byte_step = ByteStep::next;
        while (walk.bytes_left > 0) {
            report.address = walk.address_counter;
            byte_step = exchange_byte(walk.address_counter, data_byte(walk));
            if (byte_step == ByteStep::end_download) break;
            if (byte_step == ByteStep::same_again) continue;
            if (byte_step == ByteStep::next) {
                ++report.bytes_acknowledged;
            } else {
                report.passed_over.push_back(walk.address_counter);
            }
            report.last_address = walk.address_counter;
            advance(walk);
        }
        restore_priority();
        if (byte_step == ByteStep::end_download) return;
        report.address = walk.address_counter;
        bar.record_sent(session, walk.record->byte_count());
        if (walk_complete(walk)) break;
        if (poll_key(session.console).is(KEY_ESCAPE)) return;
    }
    // The last record, or a table whose end rule never fired: nothing is left to send.
    report.walk_complete = true;
}

}  // namespace zizuvu
