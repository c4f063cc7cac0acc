#pragma once
// The service records of a run: a row for every download attempt and every
// setup-terminal session, kept in one database file. Opened at start (where a
// damaged file is set aside and rows of programs that stopped without finishing are
// marked interrupted); a record that cannot be written never stops or changes the
// work, it is only said, on the bench panel and on the download's verdict row.
//
//   BenchRecords            the record keeper the downloads and the terminal tell
//     open                  the file given, or the default one; false when none can be kept
//     status                what the bench panel says about the records, and whether it is bad
//     name_port             the port name the download rows give (default: the session's)
//     download_id           the row of the last download, 0 when none was written
//     download_json         the last download's row as one JSON object (what was known of it
//                           when no row could be written)
//   The Windows build has no SQLite: it keeps no records and says so.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "download/download_log.hpp"
#include "terminal/setup_terminal.hpp"

namespace zizuvu {

struct RecordsStatus {
    std::string text;
    bool fault = false;
};

class BenchRecords final : public DownloadLog, public TerminalLog {
public:
    BenchRecords(Session& session, const Downloads& downloads);
    ~BenchRecords() override;
    BenchRecords(const BenchRecords&) = delete;
    BenchRecords& operator=(const BenchRecords&) = delete;

    bool open(const std::optional<std::string>& path);
    RecordsStatus status() const;
    void name_port(const std::string& name);
    std::int64_t download_id() const;
    std::string download_json() const;

    std::string download_started(const DownloadReport& report) override;
    std::string download_ended(const DownloadReport& report, const Verdict& verdict) override;
    std::string session_started(const std::string& port_name, const std::string& capture_path) override;
    std::string session_ended(std::uint64_t bytes_received, std::uint64_t bytes_sent) override;

    struct Store;  // the platform's own

private:
    std::unique_ptr<Store> store_;
};

}  // namespace zizuvu
