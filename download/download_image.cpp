#include "download/download_image.hpp"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#include "download/image_table.hpp"
#include "download/intel_hex.hpp"
#include "download/table_walk.hpp"

namespace zizuvu {
namespace {

// The largest image file worth reading: 65536 records of 16 bytes as Intel HEX lines,
// with room for comments of a generous tool. Anything larger is not an image.
constexpr std::uintmax_t LARGEST_IMAGE_FILE = std::uintmax_t{8} * 1024 * 1024;

std::array<std::uint32_t, 256> crc_table() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1U) : c >> 1U;
        table[n] = c;
    }
    return table;
}

// The bytes and their CRC-32 as a whole walk of the table sends them.
void sum_up_walk(DownloadImage& image) {
    RecordBuffer record;
    TableWalk walk;
    start_walk(walk, image.table, record);
    image.bytes_to_send = 0;
    image.crc32 = 0;
    for (RecordStep step; (step = next_record(walk)) != RecordStep::end_of_table;) {
        if (step == RecordStep::skipped) continue;
        const std::span<const std::uint8_t> data(record.bytes.data() + walk.data_position,
                                                 static_cast<std::size_t>(walk.bytes_left));
        image.bytes_to_send += walk.bytes_left;
        image.crc32 = crc32_of(data, image.crc32);
        while (walk.bytes_left > 0) advance(walk);
        if (walk_complete(walk)) break;
    }
}

std::string file_name_of(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

std::optional<std::string> read_whole(const std::string& path, std::string& refusal) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        refusal = path + ": cannot read the firmware image: " + std::generic_category().message(errno);
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!in.good() && !in.eof()) {
        refusal = path + ": cannot read the firmware image";
        return std::nullopt;
    }
    std::string whole = text.str();
    if (whole.size() > LARGEST_IMAGE_FILE) {
        refusal = path + ": too large for a firmware image (" + std::to_string(whole.size()) + " bytes)";
        return std::nullopt;
    }
    return whole;
}

}  // namespace

std::uint32_t crc32_of(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
    static const std::array<std::uint32_t, 256> table = crc_table();
    crc = ~crc;
    for (const std::uint8_t byte : bytes) crc = table[(crc ^ byte) & 0xFFU] ^ (crc >> 8U);
    return ~crc;
}

std::string crc32_on_screen(std::uint32_t crc) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", crc);
    return text;
}

DownloadImage built_in_image() {
    DownloadImage image;
    image.table = firmware_image();
    image.name = std::string(firmware_image_name());
    image.built_in = true;
    sum_up_walk(image);
    return image;
}

ImageLoading load_image_file(const std::string& path) {
    ImageLoading loading;
    const std::optional<std::string> text = read_whole(path, loading.refusal);
    if (!text) return loading;
    ImageReading reading = read_image_records(*text);
    std::optional<HexFault> fault = reading.fault;
    if (!fault) fault = check_table_walk(reading.records);
    if (fault) {
        loading.refusal = path + ":" + std::to_string(fault->line) + ": " + fault->reason;
        return loading;
    }
    DownloadImage image;
    image.stored = stored_table(reading.records);
    image.table = FirmwareTable{image.stored.data(), static_cast<int>(reading.records.size())};
    image.name = file_name_of(path);
    sum_up_walk(image);
    loading.image = std::move(image);
    return loading;
}

std::string image_identity(const DownloadImage& image) {
    const std::string name = image.built_in ? "built-in (" + image.name + ")" : image.name;
    return name + "  " + std::to_string(image.table.record_count) + " records  " +
           std::to_string(image.bytes_to_send) + " bytes  CRC-32 " + crc32_on_screen(image.crc32);
}

}  // namespace zizuvu
