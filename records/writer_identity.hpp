#pragma once
// Who wrote a row, told well enough to know later whether that process still runs:
// a process id alone comes back after a restart or when the ids wrap.
//
//   WriterIdentity   process id, its start time in clock ticks since boot, boot id, host
//   this_writer      the calling process
//   WriterState      running, gone, or unknown (another machine's, or nothing to tell by)
//   writer_state     what became of a writer, judged on this machine
//   process_user_name   the name of the user this process runs as

#include <cstdint>
#include <string>

namespace zizuvu {

struct WriterIdentity {
    std::int64_t pid = 0;
    std::uint64_t start_ticks = 0;   // /proc/PID/stat field 22
    std::string boot_id;             // /proc/sys/kernel/random/boot_id
    std::string host_name;
};

WriterIdentity this_writer();

enum class WriterState { running, gone, unknown };

WriterState writer_state(const WriterIdentity& writer, const WriterIdentity& here);

std::string process_user_name();

}  // namespace zizuvu
