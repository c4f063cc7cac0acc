#include "platform/key_text.hpp"

namespace zizuvu {

std::uint8_t letter_scan_code(std::uint8_t character) {
    // Scan codes of A..Z on the PC keyboard (rows QWERTYUIOP, ASDFGHJKL, ZXCVBNM).
    static constexpr std::uint8_t codes[26] = {
        0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
        0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
    };
    if (character >= 'a' && character <= 'z') return codes[character - 'a'];
    if (character >= 'A' && character <= 'Z') return codes[character - 'A'];
    return 0;
}

}  // namespace zizuvu
