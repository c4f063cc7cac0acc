#pragma once
// Numbers to text and back, as the console shows and reads them.
//
//   number_text        general form: sign position, digits, one trailing blank (" 19200 ")
//   format_number      a number laid out by a mask ("### ", "Program Time is ##.## S")
//   hex_text           upper-case hexadecimal without leading zeros, or a fixed width
//   number_from_text   the number written at the start of a typed line, 0 if none
//   round_to_int32     ties to even; anything a 32-bit integer cannot hold is INT32_MIN

#include <cstdint>
#include <string>
#include <string_view>

namespace zizuvu {

inline constexpr std::size_t NUMBER_TEXT_CAPACITY = 32;

// Writes into the caller's buffer and returns a view of it, so the status row can be
// drawn without allocating.
std::string_view number_text(double number, char (&buffer)[NUMBER_TEXT_CAPACITY]);

// Literal characters are copied (a backslash makes the next one literal); the first
// run of "#" with at most one "." is the field. Rounding is half up on the decimal
// digits of the stored value; a number too wide for the field widens it behind "%".
std::string format_number(double number, std::string_view mask);

std::string hex_text(std::uint32_t value, int digits);

// "&H", "&B", "&O"/"&Q" (and "&" alone, octal) prefixes, or a decimal with an optional
// fraction and exponent (E or D). Reading stops at the first character that does not fit.
double number_from_text(std::string_view text);

std::int32_t round_to_int32(double number);

}  // namespace zizuvu
