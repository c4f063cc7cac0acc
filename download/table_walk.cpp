#include "download/table_walk.hpp"

namespace zizuvu {

void start_walk(TableWalk& walk, const FirmwareTable& table, RecordBuffer& record) {
    walk = TableWalk{};
    walk.table = table;
    walk.record = &record;
}

RecordStep next_record(TableWalk& walk) {
    walk.record_sent = false;
    walk.bytes_left = 0;
    for (;;) {
        if (walk.record_index + 1 >= walk.table.record_count) return RecordStep::end_of_table;
        ++walk.record_index;
        fetch_record(walk.table, walk.record_index, *walk.record);
        if (walk.record->byte_count() >= 1) break;
    }
    walk.address_counter = walk.record->load_address();
    walk.data_position = 4;
    const std::uint16_t load_address = walk.address_counter;
    if (load_address < LOWEST_ADDRESS || load_address == SKIPPED_ADDRESS) return RecordStep::skipped;
    // A record holds at most 16 data bytes; a larger count (the build refuses such an
    // image) must not send the bytes that lie beyond the record.
    const int count = walk.record->byte_count();
    walk.bytes_left = count > MAX_RECORD_DATA ? MAX_RECORD_DATA : count;
    walk.record_sent = true;
    return RecordStep::sent;
}

bool walk_complete(const TableWalk& walk) {
    return walk.record_sent && walk.bytes_left == 0 && walk.address_counter == 0;
}

}  // namespace zizuvu
