#pragma once
// The one walk of the firmware image table that every download makes. Each download
// keeps its own progress display and its own per-byte exchange around it:
//
//     start_walk(walk, firmware_image(), record_buffer);
//     for (RecordStep step; (step = next_record(walk)) != RecordStep::end_of_table;) {
//         count the record for progress (sent and skipped alike)
//         if (step == RecordStep::skipped) continue;
//         for (; walk.bytes_left > 0; advance(walk)) exchange walk.address_counter, data_byte(walk)
//         if (walk_complete(walk)) break;
//         between-records check for Escape
//     }
//
//   LOWEST_ADDRESS, SKIPPED_ADDRESS   records loading below the one, or at the other, are counted, not sent
//   RecordStep                        what next_record found
//   TableWalk                         where the walk stands: record index, address counter, data position
//   start_walk, next_record           the record loop
//   data_byte, advance                the byte loop of a sent record
//   walk_complete                     the last sent record ended at 0xFFFF

#include <cstdint>

#include "download/firmware_image.hpp"

namespace zizuvu {

inline constexpr std::uint16_t LOWEST_ADDRESS = 0x1000;
inline constexpr std::uint16_t SKIPPED_ADDRESS = 0xFFD0;

enum class RecordStep {
    sent,          // a record to send: bytes_left data bytes from address_counter on
    skipped,       // counted for progress, not sent (loads below LOWEST_ADDRESS or at SKIPPED_ADDRESS)
    end_of_table,  // no record left: the walk is over and counts as complete
};

struct TableWalk {
    FirmwareTable table{nullptr, 0};
    RecordBuffer* record = nullptr;  // the run's record buffer, refilled by every fetch
    std::int32_t record_index = -1;
    std::uint16_t address_counter = 0;
    int data_position = 4;
    int bytes_left = 0;
    bool record_sent = false;
};

void start_walk(TableWalk& walk, const FirmwareTable& table, RecordBuffer& record);

// Passes over empty records without counting them. The table is never read past its
// last record: a table whose end rule never fires ends the walk there, as complete.
RecordStep next_record(TableWalk& walk);

inline std::uint8_t data_byte(const TableWalk& walk) {
    return walk.record->bytes[static_cast<unsigned>(walk.data_position)];
}

inline void advance(TableWalk& walk) {
    ++walk.data_position;
    walk.address_counter = static_cast<std::uint16_t>(walk.address_counter + 1U);  // 0xFFFF wraps to 0x0000
    --walk.bytes_left;
}

// True once every byte of a sent record is through and the counter wrapped to 0x0000,
// that is, the record's last byte was at 0xFFFF.
bool walk_complete(const TableWalk& walk);

}  // namespace zizuvu
