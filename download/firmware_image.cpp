#include "download/firmware_image.hpp"

#include <cstddef>

namespace zizuvu {

void fetch_record(const FirmwareTable& table, int record_index, RecordBuffer& record) {
    const std::uint8_t* stored = table.bytes + static_cast<std::ptrdiff_t>(record_index) * IMAGE_RECORD_SIZE;
    // Each 32-bit word was stored with its bytes the other way round.
    for (std::size_t word = 0; word < IMAGE_RECORD_SIZE; word += 4) {
        for (std::size_t i = 0; i < 4; ++i) record.bytes[word + i] = stored[word + 3 - i];
    }
}

}  // namespace zizuvu
