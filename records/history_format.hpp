#pragma once
// The records laid out for people and for other programs.
//
//   download_table / session_table             for a terminal: 80 columns, times in local time
//   downloads_csv / sessions_csv               RFC 4180: a header row, CRLF, quoted where needed
//   downloads_json_lines / sessions_json_lines one JSON object per line with every field
//   append_*_csv_header, append_*_csv, append_*_json_line,
//   append_download_table_header / _line      the same a row at a time, for
//                                              each_download / each_session
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

void append_download_table_header(std::string& out);
void append_download_table_line(std::string& out, const DownloadRecord& row);
void append_downloads_csv_header(std::string& out);
void append_download_csv(std::string& out, const DownloadRecord& row);
void append_download_json_line(std::string& out, const DownloadRecord& row);

std::string session_table(const std::vector<SessionRecord>& rows);
std::string sessions_csv(const std::vector<SessionRecord>& rows);
std::string sessions_json_lines(const std::vector<SessionRecord>& rows);

void append_sessions_csv_header(std::string& out);
void append_session_csv(std::string& out, const SessionRecord& row);
void append_session_json_line(std::string& out, const SessionRecord& row);

}  // namespace zizuvu
