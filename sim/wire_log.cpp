#include "sim/wire_log.hpp"

namespace zizuvu::sim {

bool open_wire_log(WireLog& log, const std::string& path) {
    log.file = std::fopen(path.c_str(), "w");
    return log.file != nullptr;
}

void log_byte(WireLog& log, std::int64_t now_ns, bool sent, std::uint8_t byte, int baud) {
    if (log.file == nullptr) return;
    std::fprintf(log.file, "%lld %s 0x%02X %d\n", static_cast<long long>(now_ns / 1000), sent ? "out" : "in", byte, baud);
}

void log_note(WireLog& log, std::int64_t now_ns, std::string_view text) {
    if (log.file == nullptr) return;
    std::fprintf(log.file, "%lld # %.*s\n", static_cast<long long>(now_ns / 1000), static_cast<int>(text.size()),
                 text.data());
}

void flush_wire_log(WireLog& log) {
    if (log.file != nullptr) std::fflush(log.file);
}

void close_wire_log(WireLog& log) {
    if (log.file != nullptr) std::fclose(log.file);
    log.file = nullptr;
}

}  // namespace zizuvu::sim
