// Arbitrary typed lines read as numbers, and the number read shown again as the
// program shows numbers.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "console/text_format.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double number = zizuvu::number_from_text(text);
    char buffer[zizuvu::NUMBER_TEXT_CAPACITY];
    zizuvu::number_text(number, buffer);
    zizuvu::round_to_int32(number);
    zizuvu::hex_text(static_cast<std::uint32_t>(zizuvu::round_to_int32(number)), static_cast<int>(size % 10));
    return 0;
}
