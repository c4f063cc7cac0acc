#pragma once
// The radio's log of the line (--log FILE): one line per byte received and sent,
//     <microseconds, monotonic clock> in|out 0x<byte> <line speed>
// and, between them, lines starting with '#' that say what the radio did.
// Tests read it to check entry bytes, their speeds and the pauses between them.
//
//   WireLog        the open log, or none
//   open_wire_log, log_byte, log_note, flush_wire_log, close_wire_log

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace zizuvu::sim {

struct WireLog {
    std::FILE* file = nullptr;
};

bool open_wire_log(WireLog& log, const std::string& path);
void log_byte(WireLog& log, std::int64_t now_ns, bool sent, std::uint8_t byte, int baud);
void log_note(WireLog& log, std::int64_t now_ns, std::string_view text);
void flush_wire_log(WireLog& log);
void close_wire_log(WireLog& log);

}  // namespace zizuvu::sim
