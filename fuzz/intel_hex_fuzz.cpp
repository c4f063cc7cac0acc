// Any text as an Intel HEX image file: read, and when it reads cleanly, checked as
// the build step checks it, stored as the table and written back out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "download/firmware_image.hpp"
#include "download/image_table.hpp"
#include "download/intel_hex.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const zizuvu::ImageReading reading = zizuvu::read_image_records(text);
    if (reading.fault) {
        if (reading.fault->line < 1 || reading.fault->reason.empty()) std::abort();
        return 0;
    }
    zizuvu::check_table_walk(reading.records);
    if (zizuvu::stored_table(reading.records).size() != reading.records.size() * static_cast<std::size_t>(zizuvu::IMAGE_RECORD_SIZE)) std::abort();
    zizuvu::table_source(reading.records, "fuzz.hex");
    // Every record read writes out as a line that reads back as the same record.
    for (const zizuvu::ImageRecord& record : reading.records) {
        std::string again = zizuvu::intel_hex_data_line(record.load_address, record.data.data(),
                                                        static_cast<int>(record.data.size()));
        again += "\n";
        again += zizuvu::INTEL_HEX_END_LINE;
        const zizuvu::ImageReading back = zizuvu::read_image_records(again);
        if (back.fault || back.records.size() != 1 || back.records[0].load_address != record.load_address ||
            back.records[0].data != record.data) {
            std::abort();
        }
    }
    return 0;
}
