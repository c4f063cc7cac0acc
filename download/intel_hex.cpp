#include "download/intel_hex.hpp"

#include <cstdio>

#include "download/firmware_image.hpp"

namespace zizuvu {
namespace {

constexpr std::uint8_t DATA_RECORD = 0x00;
constexpr std::uint8_t END_OF_FILE_RECORD = 0x01;

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFU);
    return text;
}

const char* record_type_name(unsigned type) {
    switch (type) {
        case 0x02: return " (extended segment address)";
        case 0x03: return " (start segment address)";
        case 0x04: return " (extended linear address)";
        case 0x05: return " (start linear address)";
        default: return "";
    }
}

// The bytes of one line after the colon, or the reason the line is not a record.
std::optional<std::string> decode_line(std::string_view line, std::vector<std::uint8_t>& bytes) {
    if (line.front() != ':') return "malformed line: a record starts with ':'";
    const std::string_view digits = line.substr(1);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (hex_digit(digits[i]) < 0) {
            return "malformed line: '" + std::string(1, digits[i]) + "' at column " + std::to_string(i + 2) +
                   " is not a hexadecimal digit";
        }
    }
    if (digits.size() % 2 != 0) return "malformed line: an odd number of hexadecimal digits";
    bytes.clear();
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(hex_digit(digits[i]) * 16 + hex_digit(digits[i + 1])));
    }
    if (bytes.size() < 5) return "malformed line: too short for a record";
    const std::size_t count = bytes[0];
    if (bytes.size() != count + 5) {
        return "malformed line: byte count " + std::to_string(count) + " needs " + std::to_string(count + 5) +
               " bytes, the line holds " + std::to_string(bytes.size());
    }
    unsigned sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    if ((sum & 0xFFU) != 0) {
        const std::uint8_t expected = record_checksum(static_cast<std::uint16_t>(bytes[1] * 256 + bytes[2]),
                                                      bytes.data() + 4, static_cast<int>(count), bytes[3]);
        return "bad checksum: the record says " + hex2(bytes.back()) + ", its bytes need " + hex2(expected);
    }
    return std::nullopt;
}

}  // namespace

std::uint8_t record_checksum(std::uint16_t load_address, const std::uint8_t* data, int count, std::uint8_t type) {
    unsigned sum = static_cast<unsigned>(count) + (load_address >> 8U) + (load_address & 0xFFU) + type;
    for (int i = 0; i < count; ++i) sum += data[i];
    return static_cast<std::uint8_t>((0x100U - (sum & 0xFFU)) & 0xFFU);
}

std::string intel_hex_data_line(std::uint16_t load_address, const std::uint8_t* data, int count) {
    std::string line = ":" + hex2(static_cast<unsigned>(count)) + hex2(load_address >> 8U) + hex2(load_address) + "00";
    for (int i = 0; i < count; ++i) line += hex2(data[i]);
    line += hex2(record_checksum(load_address, data, count));
    return line;
}

ImageReading read_image_records(std::string_view text) {
    ImageReading reading;
    auto refuse = [&](int line, std::string reason) {
        reading.fault = HexFault{line, std::move(reason)};
        return reading;
    };
    std::vector<std::uint8_t> bytes;
    int end_line = 0;
    int line_number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++line_number;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        if (line.empty()) continue;
        if (end_line != 0) return refuse(line_number, "a record after the end-of-file record (line " + std::to_string(end_line) + ")");
        if (auto why = decode_line(line, bytes)) return refuse(line_number, *why);
        const std::uint8_t type = bytes[3];
        const int count = bytes[0];
        if (type == END_OF_FILE_RECORD) {
            if (count != 0) return refuse(line_number, "malformed line: an end-of-file record carries no data");
            end_line = line_number;
            continue;
        }
        if (type != DATA_RECORD) {
            return refuse(line_number, "record type " + hex2(type) + record_type_name(type) +
                                           " is not allowed: only data (00) and end of file (01)");
        }
        if (count == 0) return refuse(line_number, "a data record with byte count 0");
        if (count > MAX_RECORD_DATA) {
            return refuse(line_number, "a data record of " + std::to_string(count) + " bytes: an image record holds at most " +
                                           std::to_string(MAX_RECORD_DATA));
        }
        if (reading.records.size() >= static_cast<std::size_t>(MAX_IMAGE_RECORDS)) {
            return refuse(line_number, "more records than the program can address: at most " +
                                           std::to_string(MAX_IMAGE_RECORDS));
        }
        reading.records.push_back(ImageRecord{line_number, static_cast<std::uint16_t>(bytes[1] * 256 + bytes[2]),
                                              std::vector<std::uint8_t>(bytes.begin() + 4, bytes.end() - 1)});
    }
    if (end_line == 0) return refuse(line_number > 0 ? line_number : 1, "no end-of-file record (:00000001FF)");
    return reading;
}

}  // namespace zizuvu
