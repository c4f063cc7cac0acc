#include "records/record_text.hpp"

#include <cstdio>
#include <ctime>

namespace zizuvu {

namespace {

using std::chrono::milliseconds;

std::tm utc_fields(SystemTime time, long& millis) {
    const auto since_epoch = std::chrono::duration_cast<milliseconds>(time.time_since_epoch()).count();
    auto seconds = static_cast<std::time_t>(since_epoch / 1000);
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
    return {text, length};
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
    unsigned low = 0x80;    // the allowed range of the second byte
    unsigned high = 0xBF;
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

// Read by hand rather than with sscanf and timegm: the history reads two per row,
// a hundred thousand rows at a time.
std::optional<SystemTime> time_from_utc_text(std::string_view text) {
    constexpr std::string_view LAYOUT = "0000-00-00T00:00:00.000Z";
    if (text.size() != LAYOUT.size()) return std::nullopt;
    for (std::size_t i = 0; i < LAYOUT.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (LAYOUT[i] == '0' ? !digit : text[i] != LAYOUT[i]) return std::nullopt;
    }
    const auto number = [&](std::size_t at, std::size_t count) {
        int value = 0;
        for (std::size_t i = at; i < at + count; ++i) value = value * 10 + (text[i] - '0');
        return value;
    };
    const std::chrono::year_month_day day{std::chrono::year{number(0, 4)},
                                          std::chrono::month{static_cast<unsigned>(number(5, 2))},
                                          std::chrono::day{static_cast<unsigned>(number(8, 2))}};
    if (!day.ok()) return std::nullopt;
    return SystemTime{std::chrono::sys_days{day}} + std::chrono::hours{number(11, 2)} +
           std::chrono::minutes{number(14, 2)} + std::chrono::seconds{number(17, 2)} + milliseconds{number(20, 3)};
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

void append_json_string(std::string& out, std::string_view text) {
    out += '"';
    std::size_t plain_from = 0;   // the run of bytes that go out as they are
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            ++i;
            continue;
        }
        if (c >= 0x80) {
            const std::size_t length = utf8_length(text.substr(i));
            if (length > 0) {
                i += length;
                continue;
            }
        }
        out.append(text.substr(plain_from, i - plain_from));
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default: {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c < 0x80 ? static_cast<unsigned>(c) : 0xFFFDU);
            out += escaped;
        }
        }
        plain_from = ++i;
    }
    out.append(text.substr(plain_from));
    out += '"';
}

std::string json_string(std::string_view text) {
    std::string out;
    append_json_string(out, text);
    return out;
}

namespace {

// A spreadsheet takes a cell that starts so for a formula, and text from outside the
// program (an adapter's serial number, a file name, the operator's answers) must not
// run as one when a history is opened there.
bool starts_like_formula(std::string_view text) {
    return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

}  // namespace

void append_csv_field(std::string& out, std::string_view text) {
    // The apostrophe makes the spreadsheet show the cell as the text it is.
    const std::string_view guard = starts_like_formula(text) ? "'" : "";
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(guard);
        out.append(text);
        return;
    }
    out += '"';
    out.append(guard);
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

std::string csv_field(std::string_view text) {
    std::string out;
    append_csv_field(out, text);
    return out;
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
