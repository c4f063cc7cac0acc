#include "records/record_text.hpp"

#include <cstdio>
#include <ctime>

namespace zizuvu {

namespace {

using std::chrono::milliseconds;

std::tm utc_fields(SystemTime time, long& millis) {
    const auto since_epoch = std::chrono::duration_cast<milliseconds>(time.time_since_epoch()).count();
    std::time_t seconds = static_cast<std::time_t>(since_epoch / 1000);
    millis = static_cast<long>(since_epoch % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    std::tm fields{};
    gmtime_r(&seconds, &fields);
    return fields;
}

enum class TimeLayout { utc_seconds, local_minute, aside };

std::string formatted(const std::tm& fields, TimeLayout layout) {
    char text[64];
    std::size_t length = 0;
    switch (layout) {
    case TimeLayout::utc_seconds:
        length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &fields);
        break;
    case TimeLayout::local_minute:
        length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &fields);
        break;
    case TimeLayout::aside:
        length = std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &fields);
        break;
    }
    return std::string(text, length);
}

// Strict "YYYY-MM-DD": exactly these digits and dashes.
bool date_fields(std::string_view date, std::tm& fields) {
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') return false;
    for (const std::size_t i : {0U, 1U, 2U, 3U, 5U, 6U, 8U, 9U})
        if (date[i] < '0' || date[i] > '9') return false;
    const auto number = [&](std::size_t at, std::size_t count) {
        int value = 0;
        for (std::size_t i = at; i < at + count; ++i) value = value * 10 + (date[i] - '0');
        return value;
    };
    fields = {};
    fields.tm_year = number(0, 4) - 1900;
    fields.tm_mon = number(5, 2) - 1;
    fields.tm_mday = number(8, 2);
    return fields.tm_mon >= 0 && fields.tm_mon < 12 && fields.tm_mday >= 1 && fields.tm_mday <= 31;
}

// The length of the valid UTF-8 sequence at the start of text, 0 if it is not one.
std::size_t utf8_length(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF;   // the allowed range of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;        // no overlong forms
        if (lead == 0xED) high = 0x9F;       // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;       // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return length;
}

}  // namespace

std::string utc_text(SystemTime time) {
    long millis = 0;
    const std::tm fields = utc_fields(time, millis);
    char text[8];
    std::snprintf(text, sizeof text, ".%03ldZ", millis);
    return formatted(fields, TimeLayout::utc_seconds) + text;
}

std::optional<SystemTime> time_from_utc_text(std::string_view text) {
    std::tm fields{};
    int millis = 0;
    char zone = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3d%c", &fields.tm_year, &fields.tm_mon,
                    &fields.tm_mday, &fields.tm_hour, &fields.tm_min, &fields.tm_sec, &millis, &zone) != 8 ||
        zone != 'Z')
        return std::nullopt;
    fields.tm_year -= 1900;
    fields.tm_mon -= 1;
    const std::time_t seconds = timegm(&fields);
    return std::chrono::system_clock::from_time_t(seconds) + milliseconds(millis);
}

std::string local_minute_text(std::string_view utc) {
    const std::optional<SystemTime> time = time_from_utc_text(utc);
    if (!time) return std::string(utc.substr(0, 16));
    const std::time_t seconds = std::chrono::system_clock::to_time_t(*time);
    std::tm fields{};
    localtime_r(&seconds, &fields);
    return formatted(fields, TimeLayout::local_minute);
}

std::optional<std::string> local_day_start_utc(std::string_view date) {
    std::tm fields{};
    if (!date_fields(date, fields)) return std::nullopt;
    const std::tm asked = fields;
    fields.tm_isdst = -1;
    const std::time_t start = std::mktime(&fields);
    // mktime moves 2026-02-30 to March; such a day does not exist.
    if (start == -1 || fields.tm_mday != asked.tm_mday || fields.tm_mon != asked.tm_mon) return std::nullopt;
    return utc_text(std::chrono::system_clock::from_time_t(start));
}

std::string aside_time_text(SystemTime time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm fields{};
    localtime_r(&seconds, &fields);
    return formatted(fields, TimeLayout::aside);
}

std::string crc32_text(std::uint32_t crc) {
    char text[12];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(crc));
    return text;
}

std::string address_text(std::uint32_t address) {
    char text[12];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(address));
    return text;
}

std::string json_string(std::string_view text) {
    std::string out = "\"";
    while (!text.empty()) {
        const std::size_t length = utf8_length(text);
        if (length == 0) {
            out += "\\ufffd";
            text.remove_prefix(1);
            continue;
        }
        const char c = text[0];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += escaped;
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return out + "\"";
}

std::string csv_field(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string table_text(std::string_view text, std::size_t width) {
    std::string out;
    for (const char c : text) out += (c >= 0x20 && c < 0x7F) ? c : '?';
    if (out.size() > width) {
        out.resize(width);
        if (width > 0) out.back() = '~';
    }
    return out;
}

}  // namespace zizuvu
