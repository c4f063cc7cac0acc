#include "tests/support/download_rig.hpp"

#include <gtest/gtest.h>
#include <sched.h>

#include <algorithm>

#include "download/table_walk.hpp"
#include "serial/serial_channel.hpp"
#include "download/intel_hex.hpp"

namespace zizuvu::testing {

RadioRig::RadioRig(const std::vector<std::string>& radio_options)
    : radio(RadioProcess::start(dir.path(), radio_options)),
      com1(std::make_unique<ScopedEnvironment>("ZIZUVU_COM1", radio ? radio->path() : "/nonexistent/no-radio")) {}

std::vector<std::uint8_t> RadioRig::received() {
    radio->stop();
    std::vector<std::uint8_t> bytes;
    for (const WireLogLine& line : read_wire_log(radio->log_path())) {
        if (!line.note && !line.sent) bytes.push_back(static_cast<std::uint8_t>(line.byte));
    }
    return bytes;
}

std::string RadioRig::radio_summary() {
    radio->stop();
    return radio->errors();
}

Memory image_memory() {
    Memory memory;
    RecordBuffer record;
    TableWalk walk;
    start_walk(walk, firmware_image(), record);
    for (RecordStep step; (step = next_record(walk)) != RecordStep::end_of_table;) {
        if (step == RecordStep::skipped) continue;
        for (; walk.bytes_left > 0; advance(walk)) memory[walk.address_counter] = data_byte(walk);
        if (walk_complete(walk)) break;
    }
    return memory;
}

Memory dumped_memory(const std::string& intel_hex) {
    Memory memory;
    for (const ImageRecord& record : read_image_records(intel_hex).records) {
        for (std::size_t i = 0; i < record.data.size(); ++i) {
            memory[static_cast<std::uint16_t>(record.load_address + i)] = record.data[i];
        }
    }
    return memory;
}

long first_data_byte(int record_index) {
    RecordBuffer record;
    TableWalk walk;
    start_walk(walk, firmware_image(), record);
    long sent = 0;
    for (RecordStep step; (step = next_record(walk)) != RecordStep::end_of_table;) {
        if (walk.record_index >= record_index) return sent;
        if (step == RecordStep::sent) sent += walk.bytes_left;
    }
    return sent;
}

std::uint16_t address_of_data_byte(long n) {
    RecordBuffer record;
    TableWalk walk;
    start_walk(walk, firmware_image(), record);
    for (RecordStep step; (step = next_record(walk)) != RecordStep::end_of_table;) {
        if (step == RecordStep::skipped) continue;
        if (n < walk.bytes_left) return static_cast<std::uint16_t>(walk.address_counter + n);
        n -= walk.bytes_left;
    }
    return 0;
}

std::string fault(const char* kind, long data_byte) { return std::string(kind) + "@" + std::to_string(data_byte); }

std::vector<std::string> radio_with(std::initializer_list<std::string> faults, int erase_ms) {
    std::vector<std::string> options = {"--erase-ms", std::to_string(erase_ms)};
    for (const std::string& f : faults) {
        options.push_back("--fault");
        options.push_back(f);
    }
    return options;
}

std::string cells(const Screen& screen, int row, int column, std::size_t count) {
    return row_text(screen, row).substr(static_cast<std::size_t>(column - 1), count);
}

void expect_finished(RadioRig& r) {
    EXPECT_TRUE(screen_shows(r.rig.screen(), "Program Time is "));
    EXPECT_EQ(r.rig.row(30).substr(0, 34), "Hit any key to return to main menu");
    EXPECT_EQ(cell_at(r.rig.screen(), 30, 1).attribute, 0x1E);
    EXPECT_EQ(find_channel_handle(r.session.channels, PORT_CHANNEL), NO_OS_HANDLE);
    EXPECT_EQ(sched_getscheduler(0) & ~SCHED_RESET_ON_FORK, SCHED_OTHER);  // priority back to normal
}

long find_bytes(const std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& sequence, long from) {
    const auto start = bytes.begin() + std::min<long>(from, static_cast<long>(bytes.size()));
    const auto found = std::search(start, bytes.end(), sequence.begin(), sequence.end());
    return found == bytes.end() ? -1 : static_cast<long>(found - bytes.begin());
}

}  // namespace zizuvu::testing
