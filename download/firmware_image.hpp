#pragma once
// The firmware image the downloads send, compiled into the program from an Intel HEX
// file at build time (firmware/radio.hex unless the build names another).
//
//   IMAGE_RECORD_SIZE, MAX_IMAGE_RECORDS, MAX_RECORD_DATA
//   RecordBuffer      one record as the downloads read it: byte count, load address, checksum, data
//   FirmwareTable     the stored records, 20 bytes each, every 32-bit word byte-reversed
//   firmware_image    the compiled-in table
//   firmware_image_name   the name of the file it was built from
//   fetch_record      one record into the record buffer, word order undone

#include <array>
#include <cstdint>
#include <string_view>

namespace zizuvu {

inline constexpr int IMAGE_RECORD_SIZE = 20;
inline constexpr int MAX_RECORD_DATA = 16;
// The radio has 65536 addresses and the progress line shows the record index in five
// digits: an image of more records than addresses is refused by the build.
inline constexpr int MAX_IMAGE_RECORDS = 65536;

struct RecordBuffer {
    std::array<std::uint8_t, 21> bytes{};  // positions 0..20, as the program created it
    int byte_count() const { return bytes[0]; }
    std::uint16_t load_address() const { return static_cast<std::uint16_t>(bytes[1] * 256 + bytes[2]); }
};

struct FirmwareTable {
    const std::uint8_t* bytes;
    int record_count;
};

FirmwareTable firmware_image();
std::string_view firmware_image_name();

// Fills positions 0..19; the caller keeps the index inside the table (the table walk does).
void fetch_record(const FirmwareTable& table, int record_index, RecordBuffer& record);

}  // namespace zizuvu
