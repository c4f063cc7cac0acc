// format_number with any number and any mask: the first eight bytes are the number's
// bits (NaN, infinities and subnormals included), the rest is the mask.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "console/text_format.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    double number = 0.0;
    const std::size_t number_bytes = size < sizeof number ? size : sizeof number;
    std::memcpy(&number, data, number_bytes);
    const std::string_view mask(reinterpret_cast<const char*>(data) + number_bytes, size - number_bytes);
    const std::string text = zizuvu::format_number(number, mask);
    // Every mask character is either copied, dropped as an escape or part of the one
    // field, which grows only by the digits of the number (at most 309 of them), a
    // sign, a "%" and the "nan"/"inf" words: the result can never be much longer.
    if (text.size() > mask.size() + 320) std::abort();
    return 0;
}
