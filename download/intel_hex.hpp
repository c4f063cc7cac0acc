#pragma once
// Intel HEX as firmware images come to this project: data records (type 00) of 1 to
// 16 bytes and one end-of-file record (type 01), nothing else. Read by the build step
// that compiles the image in; written by the sample-image generator and by the
// simulated radio's memory dump.
//
//   ImageRecord           one data record: the line it stood on, its load address, its bytes
//   HexFault              the line of a fault and the reason, said as the operator of the build needs it
//   ImageReading          the records of a file, or the first fault found in it
//   read_image_records    parse and check every line of a file's text
//   record_checksum       the Intel HEX checksum of a data record
//   intel_hex_data_line   one data record as a line (no line end)
//   INTEL_HEX_END_LINE    the end-of-file record

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zizuvu {

struct ImageRecord {
    int line = 0;
    std::uint16_t load_address = 0;
    std::vector<std::uint8_t> data;
};

struct HexFault {
    int line = 0;
    std::string reason;
};

struct ImageReading {
    std::vector<ImageRecord> records;
    std::optional<HexFault> fault;
};

ImageReading read_image_records(std::string_view text);

std::uint8_t record_checksum(std::uint16_t load_address, const std::uint8_t* data, int count, std::uint8_t type = 0);

std::string intel_hex_data_line(std::uint16_t load_address, const std::uint8_t* data, int count);

inline constexpr std::string_view INTEL_HEX_END_LINE = ":00000001FF";

}  // namespace zizuvu
