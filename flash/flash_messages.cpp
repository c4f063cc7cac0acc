#include "flash/flash_messages.hpp"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace zizuvu {
namespace {

std::string plain(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return out;
}

std::vector<std::string_view> fields_of(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

template <typename Number>
bool number_in(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string progress_line(const DownloadReport& report) {
    std::string line = "P\t" + std::to_string(static_cast<int>(report.phase)) + "\t" +
                       std::to_string(report.bytes_acknowledged) + "\t" + std::to_string(report.bytes_to_send) + "\t";
    if (report.radio_serial) line += std::to_string(*report.radio_serial);
    return line + "\n";
}

std::string result_line(const PortResult& result) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", result.seconds);
    return "R\t" + std::to_string(result.exit_status) + "\t" + std::to_string(result.record_id) + "\t" + seconds +
           "\t" + std::to_string(result.acknowledged) + "\t" + plain(result.radio_serial) + "\t" +
           plain(result.verdict) + "\t" + plain(result.not_recorded) + "\n";
}

std::string json_line(std::string_view object) { return "J\t" + plain(object) + "\n"; }

std::optional<ChildMessage> read_message(std::string_view line) {
    const std::vector<std::string_view> fields = fields_of(line);
    if (fields[0] == "P" && fields.size() == 5) {
        PortProgress progress;
        int phase = 0;
        if (!number_in(fields[1], phase) || phase < 0 || phase > static_cast<int>(DownloadPhase::finished) ||
            !number_in(fields[2], progress.acknowledged) || !number_in(fields[3], progress.total)) {
            return std::nullopt;
        }
        progress.phase = static_cast<DownloadPhase>(phase);
        progress.radio_serial = fields[4];
        return progress;
    }
    if (fields[0] == "R" && fields.size() == 8) {
        PortResult result;
        // from_chars for double is not in every standard library this builds with.
        char* end = nullptr;
        const std::string seconds(fields[3]);
        result.seconds = std::strtod(seconds.c_str(), &end);
        if (!number_in(fields[1], result.exit_status) || !number_in(fields[2], result.record_id) ||
            end != seconds.c_str() + seconds.size() || !number_in(fields[4], result.acknowledged)) {
            return std::nullopt;
        }
        result.radio_serial = fields[5];
        result.verdict = fields[6];
        result.not_recorded = fields[7];
        return result;
    }
    if (fields[0] == "J" && fields.size() == 2) return PortJson{std::string(fields[1])};
    return std::nullopt;
}

std::optional<std::string> MessageBuffer::next_line() {
    const std::size_t end = bytes_.find('\n');
    if (end == std::string::npos) return std::nullopt;
    std::string line = bytes_.substr(0, end);
    bytes_.erase(0, end + 1);
    return line;
}

}  // namespace zizuvu
