#pragma once
// The texts the records are stored and shown in.
//
//   utc_text             "2026-12-09T10:15:02.345Z", as stored; sorts as it reads
//   time_from_utc_text   back to a time, nullopt when it is not one
//   local_minute_text    a stored time as "2026-12-09 10:15" in local time, for the table
//   local_day_start_utc  "2026-12-09" to the stored text of that day's local midnight
//   aside_time_text      "20261209-101502", local time, for the name of a file set aside
//   crc32_text           8 upper-case hex digits
//   address_text         upper-case hex, at least 4 digits
//   json_string          a JSON string, invalid UTF-8 replaced by U+FFFD (append_: onto `out`)
//   csv_field            RFC 4180: quoted, quotes doubled, when it holds a comma, quote or line break
//   table_text           printable ASCII only, cut to a width with "~" at the end

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zizuvu {

using SystemTime = std::chrono::system_clock::time_point;

std::string utc_text(SystemTime time);
std::optional<SystemTime> time_from_utc_text(std::string_view text);
std::string local_minute_text(std::string_view utc);
std::optional<std::string> local_day_start_utc(std::string_view date);
std::string aside_time_text(SystemTime time);

std::string crc32_text(std::uint32_t crc);
std::string address_text(std::uint32_t address);

std::string json_string(std::string_view text);
void append_json_string(std::string& out, std::string_view text);
std::string csv_field(std::string_view text);
void append_csv_field(std::string& out, std::string_view text);
std::string table_text(std::string_view text, std::size_t width);

}  // namespace zizuvu
