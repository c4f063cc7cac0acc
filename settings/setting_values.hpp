#pragma once
// The values a setting can take, and their readers, shared by the command line and
// the configuration file so that both accept and refuse the same things with the
// same reasons.
//
//   PORT_COUNT, BAUD_RATES, DEFAULT_*, *_LIMIT   what is allowed and what is assumed
//   CalendarDay                                   a day of the service-record filter
//   Checked<T>                                    a value, or the reason it was refused
//   check_port_name       "Com1".."Com9" (any case) to 1..9
//   check_device_path     a path that names a device (not empty)
//   PortChoice, check_port_choice   a port to flash on: ComN, or a device path
//   check_baud            a terminal speed, from text or from a number
//   check_count           a whole number within given bounds
//   check_serial_number   a radio's serial number (24 bits)
//   check_day             YYYY-MM-DD, a day that exists
//   port_name             1..9 to "Com1".."Com9"
//   quote_value           a value as messages show it: in quotes, printable, not too long

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zizuvu {

inline constexpr int PORT_COUNT = 9;
inline constexpr std::array<std::uint32_t, 6> BAUD_RATES = {4800, 9600, 19200, 38400, 57600, 115200};
inline constexpr int DEFAULT_PORT = 1;
inline constexpr std::uint32_t DEFAULT_BAUD = 19200;
inline constexpr unsigned DEFAULT_ATTEMPTS = 3;
inline constexpr unsigned ATTEMPTS_LIMIT = 100;
inline constexpr unsigned DEFAULT_WAIT_SECONDS = 60;
inline constexpr unsigned WAIT_SECONDS_LIMIT = 3600;
// The radio sends its serial number in three bytes.
inline constexpr std::uint32_t SERIAL_NUMBER_LIMIT = 0xFFFFFF;

struct CalendarDay {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const CalendarDay&, const CalendarDay&) = default;
};

// A problem that is empty means the value was accepted.
template <typename T>
struct Checked {
    T value{};
    std::string problem;
    bool ok() const { return problem.empty(); }
};

struct PortChoice {
    int port = 0;      // 1..9 for a ComN name, 0 for a device path
    std::string path;  // the device path when port is 0
    friend bool operator==(const PortChoice&, const PortChoice&) = default;
};

Checked<int> check_port_name(std::string_view text);
Checked<std::string> check_device_path(std::string_view text);
Checked<PortChoice> check_port_choice(std::string_view text);
Checked<std::uint32_t> check_baud(std::string_view text);
Checked<std::uint32_t> check_baud(std::int64_t number);
Checked<unsigned> check_count(std::string_view text, unsigned lowest, unsigned highest);
Checked<unsigned> check_count(std::int64_t number, unsigned lowest, unsigned highest);
Checked<std::uint32_t> check_serial_number(std::string_view text);
Checked<CalendarDay> check_day(std::string_view text);

std::string port_name(int number);
std::string quote_value(std::string_view text);

}  // namespace zizuvu
