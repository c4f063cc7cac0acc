#include "settings/setting_values.hpp"

#include <algorithm>
#include <charconv>
#include <optional>

namespace zizuvu {
namespace {

// Decimal digits only: "0x10" or "1e3" on a command line is a typing slip, not a number.
std::optional<std::uint64_t> whole_number(std::string_view text) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc{} || end != text.data() + text.size()) return UINT64_MAX;
    return number;
}

// A negative number from a file fails every check below as the largest one would.
std::uint64_t non_negative(std::int64_t number) { return number < 0 ? UINT64_MAX : static_cast<std::uint64_t>(number); }

std::string not_a_number(std::string_view text) { return quote_value(text) + " is not a whole number"; }

std::string baud_list() {
    std::string list;
    for (const std::uint32_t rate : BAUD_RATES) list += (list.empty() ? "" : ", ") + std::to_string(rate);
    return list;
}

std::string range_text(std::uint64_t lowest, std::uint64_t highest) {
    return " (" + std::to_string(lowest) + " to " + std::to_string(highest) + ")";
}

// The checks of a number read from text show it as it was given.
Checked<std::uint32_t> baud_from(std::uint64_t number, std::string_view shown) {
    for (const std::uint32_t rate : BAUD_RATES) {
        if (number == rate) return {rate, {}};
    }
    return {0, quote_value(shown) + " is not a speed the terminal takes (" + baud_list() + ")"};
}

Checked<unsigned> count_from(std::uint64_t number, std::string_view shown, unsigned lowest, unsigned highest) {
    if (number < lowest || number > highest) return {0, quote_value(shown) + " is out of range" + range_text(lowest, highest)};
    return {static_cast<unsigned>(number), {}};
}

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
    static constexpr std::array<int, 12> DAYS = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap_year(year) ? 29 : DAYS[static_cast<std::size_t>(month - 1)];
}

}  // namespace

Checked<int> check_port_name(std::string_view text) {
    const bool com_prefix = text.size() >= 3 && (text[0] == 'C' || text[0] == 'c') && (text[1] == 'O' || text[1] == 'o') &&
                            (text[2] == 'M' || text[2] == 'm');
    if (com_prefix && text.size() == 4 && text[3] >= '1' && text[3] <= '9') return {text[3] - '0', {}};
    return {0, quote_value(text) + " is not a port (Com1 to Com9)"};
}

Checked<std::string> check_device_path(std::string_view text) {
    if (text.empty()) return {{}, "the device path is empty"};
    return {std::string(text), {}};
}

Checked<PortChoice> check_port_choice(std::string_view text) {
    if (const Checked<int> port = check_port_name(text); port.ok()) return {{port.value, {}}, {}};
    // "Com12" is a port this program does not count to, not a file named so.
    const bool port_like = text.size() > 3 && check_port_name(std::string(text.substr(0, 3)) + "1").ok() &&
                           std::all_of(text.begin() + 3, text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (port_like) return {{}, check_port_name(text).problem + "; give its device path instead"};
    const Checked<std::string> path = check_device_path(text);
    return {{0, path.value}, path.problem};
}

Checked<std::uint32_t> check_baud(std::string_view text) {
    const auto number = whole_number(text);
    if (!number) return {0, not_a_number(text)};
    return baud_from(*number, text);
}

Checked<std::uint32_t> check_baud(std::int64_t number) {
    return baud_from(non_negative(number), std::to_string(number));
}

Checked<unsigned> check_count(std::string_view text, unsigned lowest, unsigned highest) {
    const auto number = whole_number(text);
    if (!number) return {0, not_a_number(text)};
    return count_from(*number, text, lowest, highest);
}

Checked<unsigned> check_count(std::int64_t number, unsigned lowest, unsigned highest) {
    return count_from(non_negative(number), std::to_string(number), lowest, highest);
}

Checked<std::uint32_t> check_serial_number(std::string_view text) {
    const auto number = whole_number(text);
    if (!number) return {0, not_a_number(text)};
    if (*number > SERIAL_NUMBER_LIMIT) {
        return {0, quote_value(text) + " is out of range" + range_text(0, SERIAL_NUMBER_LIMIT)};
    }
    return {static_cast<std::uint32_t>(*number), {}};
}

Checked<CalendarDay> check_day(std::string_view text) {
    const std::string refused = quote_value(text) + " is not a day (YYYY-MM-DD)";
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return {{}, refused};
    const auto year = whole_number(text.substr(0, 4));
    const auto month = whole_number(text.substr(5, 2));
    const auto day = whole_number(text.substr(8, 2));
    if (!year || !month || !day || *year == 0 || *month < 1 || *month > 12) return {{}, refused};
    const CalendarDay result{static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day)};
    if (result.day < 1 || result.day > days_in_month(result.year, result.month)) return {{}, refused};
    return {result, {}};
}

std::string port_name(int number) { return "Com" + std::to_string(number); }

std::string quote_value(std::string_view text) {
    // What a user typed or a file holds goes back to a terminal: no control bytes,
    // and nothing long enough to push the reason off the line.
    static constexpr std::size_t LONGEST = 60;
    std::string shown = "'";
    for (const char c : text.substr(0, LONGEST)) {
        const auto byte = static_cast<unsigned char>(c);
        shown += byte < 0x20 || byte == 0x7F ? '?' : c;
    }
    return shown + (text.size() > LONGEST ? "...'" : "'");
}

}  // namespace zizuvu
