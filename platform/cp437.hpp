#pragma once
// The console's code page: every byte 0..255 has a glyph (a smiley for 1, a note
// for 13, box drawing above 0xB0), shown on a Unix terminal and written to a
// capture file as its UTF-8 form.
//
//   cp437_utf8          the UTF-8 bytes of a byte's glyph
//   cp437_from_unicode  the byte whose glyph is a code point, or -1

#include <cstdint>
#include <string_view>

namespace zizuvu {

std::string_view cp437_utf8(std::uint8_t byte);
int cp437_from_unicode(char32_t code_point);

}  // namespace zizuvu
