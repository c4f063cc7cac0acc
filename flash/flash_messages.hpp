#pragma once
// What a port's child process tells the parent that shows the run: its progress
// now and then, its result once, and its record as JSON when asked. One line each,
// fields apart by tabs; texts never hold a tab or a line end.
//
//   PortProgress / PortResult   what the lines carry
//   progress_line / result_line / json_line   the lines, with their line end
//   ChildMessage, read_message  one line back into what it carries (nothing for a
//                               line that is not one of them)
//   MessageBuffer               the bytes of a pipe cut into whole lines

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "download/download_report.hpp"

namespace zizuvu {

struct PortProgress {
    DownloadPhase phase = DownloadPhase::asking;
    long acknowledged = 0;
    long total = 0;
    std::string radio_serial;  // empty until the radio has told it
};

struct PortResult {
    int exit_status = 0;
    std::int64_t record_id = 0;  // 0: no record was written
    double seconds = 0;
    long acknowledged = 0;
    std::string radio_serial;
    std::string verdict;
    std::string not_recorded;    // why the record could not be written; empty when it was
};

struct PortJson {
    std::string object;
};

using ChildMessage = std::variant<PortProgress, PortResult, PortJson>;

std::string progress_line(const DownloadReport& report);
std::string result_line(const PortResult& result);
std::string json_line(std::string_view object);
std::optional<ChildMessage> read_message(std::string_view line);

class MessageBuffer {
public:
    void add(std::string_view bytes) { bytes_.append(bytes); }
    // The next whole line without its end, if one is there.
    std::optional<std::string> next_line();

private:
    std::string bytes_;
};

}  // namespace zizuvu
