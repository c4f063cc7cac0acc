#include "console/text_format.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace zizuvu {
namespace {

// The first 19 significant decimal digits of a value's magnitude, truncated, and the
// power of ten of the first digit: value = 0.d1 d2 ... x 10^(exponent + 1).
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
};

constexpr int SIGNIFICANT_DIGITS = 19;

DecimalDigits decimal_digits(double magnitude) {
    char text[96];
    // 40 digits after the point are exact enough that truncating to 19 is truncation
    // of the stored binary value, not of a rounded one.
    std::snprintf(text, sizeof text, "%.40e", magnitude);
    DecimalDigits result;
    const char* p = text;
    for (; *p != 'e' && *p != '\0'; ++p) {
        if (*p >= '0' && *p <= '9' && result.digits.size() < SIGNIFICANT_DIGITS) result.digits.push_back(*p);
    }
    result.exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    return result;
}

// Rounds |number| half up to `decimals` places; returns the integer digits (no sign,
// "0" for a value below 1) and exactly `decimals` fraction digits.
void round_decimal(double magnitude, int decimals, std::string& integer_part, std::string& fraction) {
    integer_part.clear();
    fraction.clear();
    if (magnitude == 0.0) {
        integer_part = "0";
        fraction.assign(static_cast<std::size_t>(decimals), '0');
        return;
    }
    const DecimalDigits d = decimal_digits(magnitude);
    const int integer_digits = d.exponent + 1;  // may be 0 or negative for values below 1
    const int kept = integer_digits + decimals;
    std::string digits;  // the kept digits, aligned so that the last is 10^-decimals
    if (kept > 0) {
        for (int i = 0; i < kept; ++i) digits.push_back(i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0');
        const bool round_up = kept < static_cast<int>(d.digits.size()) && d.digits[static_cast<std::size_t>(kept)] >= '5';
        if (round_up) {
            int i = kept - 1;
            for (; i >= 0 && digits[static_cast<std::size_t>(i)] == '9'; --i) digits[static_cast<std::size_t>(i)] = '0';
            if (i >= 0) {
                ++digits[static_cast<std::size_t>(i)];
            } else {
                digits.insert(digits.begin(), '1');
            }
        }
    } else {
        // Only the first dropped digit decides; it lies at 10^-(decimals+1) or below.
        const bool round_up = kept == 0 && d.digits[0] >= '5';
        digits.assign(static_cast<std::size_t>(decimals), '0');
        if (round_up) {
            if (decimals > 0) {
                digits.back() = '1';
            } else {
                digits = "1";
            }
        }
    }
    if (static_cast<int>(digits.size()) < decimals) digits.insert(0, static_cast<std::size_t>(decimals) - digits.size(), '0');
    const std::size_t split = digits.size() - static_cast<std::size_t>(decimals);
    integer_part = digits.substr(0, split);
    fraction = digits.substr(split);
    const std::size_t first_nonzero = integer_part.find_first_not_of('0');
    integer_part = first_nonzero == std::string::npos ? "0" : integer_part.substr(first_nonzero);
}

struct Field {
    std::size_t begin = std::string_view::npos;  // in the mask
    std::size_t end = std::string_view::npos;
    int integer_positions = 0;
    int decimals = 0;
    bool has_point = false;
};

Field find_field(std::string_view mask) {
    Field field;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] == '\\') {
            ++i;
            continue;
        }
        const bool starts = mask[i] == '#' || (mask[i] == '.' && i + 1 < mask.size() && mask[i + 1] == '#');
        if (!starts) continue;
        field.begin = i;
        for (; i < mask.size(); ++i) {
            if (mask[i] == '#') {
                ++(field.has_point ? field.decimals : field.integer_positions);
            } else if (mask[i] == '.' && !field.has_point) {
                field.has_point = true;
            } else {
                break;
            }
        }
        field.end = i;
        return field;
    }
    return field;
}

void append_literals(std::string& out, std::string_view literals) {
    for (std::size_t i = 0; i < literals.size(); ++i) {
        if (literals[i] == '\\' && i + 1 < literals.size()) ++i;
        out.push_back(literals[i]);
    }
}

std::string field_text(double number, const Field& field) {
    if (!std::isfinite(number)) return std::isnan(number) ? "%nan" : (number < 0 ? "%-inf" : "%inf");
    std::string integer_part;
    std::string fraction;
    round_decimal(std::fabs(number), field.decimals, integer_part, fraction);
    const bool rounds_to_zero = integer_part == "0" && fraction.find_first_not_of('0') == std::string::npos;
    std::string digits;
    if (number < 0 && !rounds_to_zero) digits.push_back('-');
    // A field without integer positions shows a value below 1 as its fraction alone.
    if (!(field.integer_positions == 0 && integer_part == "0")) digits += integer_part;
    std::string out;
    if (static_cast<int>(digits.size()) > field.integer_positions) {
        out = "%" + digits;
    } else {
        out.assign(static_cast<std::size_t>(field.integer_positions) - digits.size(), ' ');
        out += digits;
    }
    if (field.has_point) {
        out.push_back('.');
        out += fraction;
    }
    return out;
}

}  // namespace

std::string_view number_text(double number, char (&buffer)[NUMBER_TEXT_CAPACITY]) {
    int length = 0;
    if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 1e15) {
        length = std::snprintf(buffer, NUMBER_TEXT_CAPACITY, "%c%.0f ", number < 0 ? '-' : ' ', std::fabs(number));
    } else {
        char digits[NUMBER_TEXT_CAPACITY];
        std::snprintf(digits, sizeof digits, "%.15G", std::fabs(number));
        // Leading zero of a pure fraction is not printed: " .5 ".
        const char* shown = digits[0] == '0' && digits[1] == '.' ? digits + 1 : digits;
        length = std::snprintf(buffer, NUMBER_TEXT_CAPACITY, "%c%s ", number < 0 ? '-' : ' ', shown);
    }
    if (length < 0) length = 0;
    return {buffer, std::min<std::size_t>(static_cast<std::size_t>(length), NUMBER_TEXT_CAPACITY - 1)};
}

std::string format_number(double number, std::string_view mask) {
    const Field field = find_field(mask);
    std::string out;
    if (field.begin == std::string_view::npos) {
        append_literals(out, mask);
        return out;
    }
    append_literals(out, mask.substr(0, field.begin));
    out += field_text(number, field);
    append_literals(out, mask.substr(field.end));
    return out;
}

std::string hex_text(std::uint32_t value, int digits) {
    static constexpr char hex_digits[] = "0123456789ABCDEF";
    char text[8];
    int length = 0;
    do {
        text[7 - length] = hex_digits[value & 0xFU];
        value >>= 4U;
        ++length;
    } while (value != 0 && length < 8);
    std::string out(text + 8 - length, text + 8);
    if (digits > 0) {
        const std::size_t width = static_cast<std::size_t>(std::min(digits, 8));
        if (out.size() < width) out.insert(0, width - out.size(), '0');
        if (out.size() > width) out.erase(0, out.size() - width);
    }
    return out;
}

double number_from_text(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
    if (i < text.size() && text[i] == '&') {
        ++i;
        unsigned base = 8;
        if (i < text.size()) {
            switch (text[i]) {
                case 'H': case 'h': base = 16; ++i; break;
                case 'B': case 'b': base = 2; ++i; break;
                case 'O': case 'o': case 'Q': case 'q': base = 8; ++i; break;
                default: break;
            }
        }
        double value = 0.0;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            unsigned digit = 16;
            if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
            else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
            else if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
            if (digit >= base) break;
            value = value * base + digit;
        }
        return value;
    }
    // Collect the longest prefix that is a decimal number, then let strtod read it.
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number.push_back(text[i++]);
    bool digits_seen = false;
    bool point_seen = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits_seen = true;
        } else if (c == '.' && !point_seen) {
            point_seen = true;
        } else {
            break;
        }
        number.push_back(c);
    }
    if (!digits_seen) return 0.0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent.push_back(text[j++]);
        const std::size_t first_digit = j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') exponent.push_back(text[j++]);
        if (j > first_digit) number += exponent;
    }
    return std::strtod(number.c_str(), nullptr);
}

std::int32_t round_to_int32(double number) {
    const double rounded = std::nearbyint(number);  // the default rounding mode: ties to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(rounded);
}

}  // namespace zizuvu
