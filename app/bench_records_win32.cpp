#include "app/bench_records.hpp"

namespace zizuvu {

// No SQLite for the cross build: nothing is kept, and the panel says so.
struct BenchRecords::Store {};

BenchRecords::BenchRecords(Session& /*session*/, const Downloads& /*downloads*/) : store_(std::make_unique<Store>()) {}
BenchRecords::~BenchRecords() = default;

bool BenchRecords::open(const std::optional<std::string>& /*path*/) { return false; }

RecordsStatus BenchRecords::status() const { return {"no service records: the Windows build keeps none", true}; }

void BenchRecords::name_port(const std::string& /*name*/) {}
std::int64_t BenchRecords::download_id() const { return 0; }
std::string BenchRecords::download_json() const { return {}; }

std::string BenchRecords::download_started(const DownloadReport& /*report*/) { return {}; }
std::string BenchRecords::download_ended(const DownloadReport& /*report*/, const Verdict& /*verdict*/) { return {}; }
std::string BenchRecords::session_started(const std::string& /*port_name*/, const std::string& /*capture_path*/) {
    return {};
}
std::string BenchRecords::session_ended(std::uint64_t /*bytes_received*/, std::uint64_t /*bytes_sent*/) { return {}; }

}  // namespace zizuvu
