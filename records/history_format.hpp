#pragma once
// The records laid out for people and for other programs.
//
//   download_table / session_table             for a terminal: 80 columns, times in local time
//   downloads_csv / sessions_csv               RFC 4180: a header row, CRLF, quoted where needed
//   downloads_json_lines / sessions_json_lines one JSON object per line with every field
//
// Times in CSV and JSON are the stored UTC texts; addresses and CRC-32s are upper-case
// hexadecimal, as the download screens show them.

#include <string>
#include <vector>

#include "records/history.hpp"

namespace zizuvu {

std::string download_table(const std::vector<DownloadRecord>& rows);
std::string downloads_csv(const std::vector<DownloadRecord>& rows);
std::string downloads_json_lines(const std::vector<DownloadRecord>& rows);

std::string session_table(const std::vector<SessionRecord>& rows);
std::string sessions_csv(const std::vector<SessionRecord>& rows);
std::string sessions_json_lines(const std::vector<SessionRecord>& rows);

}  // namespace zizuvu
