#include "download/image_table.hpp"

#include <cstdio>

#include "download/table_walk.hpp"

namespace zizuvu {

void store_record(std::vector<std::uint8_t>& table, std::uint8_t byte_count, std::uint16_t load_address,
                  std::uint8_t checksum, const std::vector<std::uint8_t>& data) {
    std::uint8_t record[IMAGE_RECORD_SIZE] = {byte_count, static_cast<std::uint8_t>(load_address >> 8U),
                                              static_cast<std::uint8_t>(load_address & 0xFFU), checksum};
    for (std::size_t i = 0; i < data.size() && i + 4 < IMAGE_RECORD_SIZE; ++i) record[i + 4] = data[i];
    for (std::size_t word = 0; word < IMAGE_RECORD_SIZE; word += 4) {
        for (std::size_t i = 0; i < 4; ++i) table.push_back(record[word + 3 - i]);
    }
}

std::vector<std::uint8_t> stored_table(const std::vector<ImageRecord>& records) {
    std::vector<std::uint8_t> table;
    table.reserve(records.size() * IMAGE_RECORD_SIZE);
    for (const ImageRecord& r : records) {
        const int count = static_cast<int>(r.data.size());
        store_record(table, static_cast<std::uint8_t>(count), r.load_address,
                     record_checksum(r.load_address, r.data.data(), count), r.data);
    }
    return table;
}

std::optional<HexFault> check_table_walk(const std::vector<ImageRecord>& records) {
    if (records.empty()) return HexFault{1, "no data records: the image is empty"};
    const std::vector<std::uint8_t> table = stored_table(records);
    RecordBuffer record;
    TableWalk walk;
    start_walk(walk, FirmwareTable{table.data(), static_cast<int>(records.size())}, record);
    for (RecordStep step; (step = next_record(walk)) != RecordStep::end_of_table;) {
        if (step == RecordStep::skipped) continue;
        while (walk.bytes_left > 0) advance(walk);
        if (!walk_complete(walk)) continue;
        const int after = static_cast<int>(records.size()) - 1 - walk.record_index;
        if (after == 0) return std::nullopt;
        return HexFault{records[static_cast<std::size_t>(walk.record_index)].line,
                        "this record ends at 0xFFFF and so ends every download, but " + std::to_string(after) +
                            " record(s) after it would never be sent"};
    }
    return HexFault{records.back().line,
                    "the walk never ends: no record that is sent ends at 0xFFFF (the last record must)"};
}

namespace {

// A file name as the body of a C++ string literal.
std::string escaped_literal(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

}  // namespace

std::string table_source(const std::vector<ImageRecord>& records, std::string_view image_name) {
    const std::vector<std::uint8_t> table = stored_table(records);
    std::string out;
    out.reserve(table.size() * 6 + 1024);
    out += "// Generated at build time from " + std::string(image_name) + " (" + std::to_string(records.size()) +
           " records) by zizuvu_hex_to_table. Do not edit.\n";
    out += "#include \"download/firmware_image.hpp\"\n\nnamespace zizuvu {\nnamespace {\n\n";
    out += "// Each record is five 32-bit words, every word with its bytes the other way round.\n";
    out += "alignas(4) constexpr std::uint8_t STORED_RECORDS[" + std::to_string(table.size()) + "] = {\n";
    char text[8];
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::snprintf(text, sizeof text, "0x%02X,", table[i]);
        out += text;
        out += (i % IMAGE_RECORD_SIZE == IMAGE_RECORD_SIZE - 1) ? '\n' : ' ';
    }
    out += "};\n\n}  // namespace\n\n";
    out += "FirmwareTable firmware_image() { return {STORED_RECORDS, " + std::to_string(records.size()) + "}; }\n\n";
    out += "std::string_view firmware_image_name() { return \"" + escaped_literal(image_name) + "\"; }\n\n";
    out += "}  // namespace zizuvu\n";
    return out;
}

}  // namespace zizuvu
