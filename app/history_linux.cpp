#include <cstdio>
#include <filesystem>

#include "app/run_actions.hpp"
#include "records/history.hpp"
#include "records/history_format.hpp"
#include "records/record_store.hpp"
#include "settings/exit_status.hpp"

namespace zizuvu {
namespace {

HistoryFilter records_filter(const HistoryOptions& options) {
    HistoryFilter filter;
    if (options.serial) filter.radio_serial = std::to_string(*options.serial);
    if (options.since) {
        char day[16];
        std::snprintf(day, sizeof day, "%04d-%02d-%02d", options.since->year, options.since->month,
                      options.since->day);
        filter.since = day;
    }
    if (options.port) filter.port_name = "Com" + std::to_string(*options.port);
    return filter;
}

std::string formatted(const std::vector<DownloadRecord>& rows, HistoryFormat format) {
    switch (format) {
        case HistoryFormat::csv: return downloads_csv(rows);
        case HistoryFormat::json_lines: return downloads_json_lines(rows);
        case HistoryFormat::table: break;
    }
    return download_table(rows);
}

constexpr std::size_t OUTPUT_CHUNK = std::size_t{1} << 20;

// The downloads go out a row at a time, a megabyte at a time: a history of any size is
// never held whole, and it starts at once.
RecordsResult print_downloads(RecordStore& store, const HistoryFilter& filter, HistoryFormat format) {
    std::string chunk;
    auto append = append_download_table_line;
    switch (format) {
        case HistoryFormat::csv:
            append_downloads_csv_header(chunk);
            append = append_download_csv;
            break;
        case HistoryFormat::json_lines: append = append_download_json_line; break;
        case HistoryFormat::table: append_download_table_header(chunk); break;
    }
    std::size_t rows = 0;
    RecordsResult result = each_download(store, filter, [&](const DownloadRecord& row) {
        append(chunk, row);
        ++rows;
        if (chunk.size() < OUTPUT_CHUNK) return;
        std::fwrite(chunk.data(), 1, chunk.size(), stdout);
        chunk.clear();
    });
    if (!result.ok) return result;
    // Nothing went out yet: the chunk holds the header alone.
    if (rows == 0) chunk = formatted({}, format);
    std::fwrite(chunk.data(), 1, chunk.size(), stdout);
    return result;
}

}  // namespace

int print_history(const RunSettings& settings) {
    const std::filesystem::path path = settings.records ? std::filesystem::path(*settings.records)
                                                         : default_records_path();
    std::error_code missing;
    if (path.empty() || !std::filesystem::exists(path, missing)) {
        // Nothing recorded yet is no error; an empty CSV still has its header.
        if (settings.history.format == HistoryFormat::table) {
            std::printf("No service records yet (%s).\n", path.empty() ? "no folder for them" : path.c_str());
        } else {
            std::fputs(formatted({}, settings.history.format).c_str(), stdout);
        }
        return std::fflush(stdout) == 0 ? EXIT_DONE : 1;
    }
    RecordsOpening opening = open_records(path);
    if (!opening.notice.empty()) std::fprintf(stderr, "zizuvu: %s\n", opening.notice.c_str());
    if (!opening.result.ok) {
        std::fprintf(stderr, "zizuvu: %s: %s\n", path.c_str(), opening.result.reason.c_str());
        return 1;
    }
    const HistoryFilter filter = records_filter(settings.history);
    const RecordsResult printed = print_downloads(opening.store, filter, settings.history.format);
    if (!printed.ok) {
        std::fprintf(stderr, "zizuvu: %s: %s\n", path.c_str(), printed.reason.c_str());
        return 1;
    }
    // The table shows the setup-terminal sessions too; CSV and JSON Lines keep to the
    // downloads, one kind of row per output.
    if (settings.history.format == HistoryFormat::table && !settings.history.serial) {
        const SessionHistory sessions = query_sessions(opening.store, filter);
        if (sessions.result.ok && !sessions.rows.empty()) {
            std::printf("\nSetup-terminal sessions\n%s", session_table(sessions.rows).c_str());
        }
    }
    [[maybe_unused]] const RecordsResult closed = close_records(opening.store);
    return std::fflush(stdout) == 0 ? EXIT_DONE : 1;
}

}  // namespace zizuvu
