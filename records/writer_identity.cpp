#include "records/writer_identity.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>
#include <sstream>

namespace zizuvu {

namespace {

struct ProcessStat {
    char state = '?';
    std::uint64_t start_ticks = 0;
};

enum class StatRead { read, no_such_process, unreadable };

// /proc/PID/stat: "pid (name) state ..." where the name may hold blanks and
// parentheses, so the fields are counted from the last ')'; field 22 is the start time.
StatRead read_process_stat(std::int64_t pid, ProcessStat& stat) {
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return errno == ENOENT || errno == ESRCH ? StatRead::no_such_process : StatRead::unreadable;
    char buffer[1024];
    const ssize_t got = read(file, buffer, sizeof buffer - 1);
    close(file);
    // A process that ended between the open and the read.
    if (got <= 0) return got < 0 && errno == ESRCH ? StatRead::no_such_process : StatRead::unreadable;
    const std::string line(buffer, static_cast<std::size_t>(got));
    const std::size_t name_end = line.rfind(')');
    if (name_end == std::string::npos) return StatRead::unreadable;
    std::istringstream fields(line.substr(name_end + 1));
    fields >> stat.state;
    std::string skipped;
    for (int field = 4; field < 22; ++field) fields >> skipped;
    fields >> stat.start_ticks;
    return fields ? StatRead::read : StatRead::unreadable;
}

std::string boot_id() {
    std::ifstream file("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(file, id);
    return id;
}

std::string host_name() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "";
    return name;
}

}  // namespace

WriterIdentity this_writer() {
    WriterIdentity writer;
    writer.pid = getpid();
    ProcessStat stat;
    if (read_process_stat(writer.pid, stat) == StatRead::read) writer.start_ticks = stat.start_ticks;
    writer.boot_id = boot_id();
    writer.host_name = host_name();
    return writer;
}

WriterState writer_state(const WriterIdentity& writer, const WriterIdentity& here) {
    // Another machine's processes cannot be seen from here (a records file on a
    // shared folder); they are left for that machine to judge.
    if (writer.host_name != here.host_name) return WriterState::unknown;
    if (!writer.boot_id.empty() && !here.boot_id.empty() && writer.boot_id != here.boot_id) return WriterState::gone;
    ProcessStat stat;
    switch (read_process_stat(writer.pid, stat)) {
    case StatRead::no_such_process:
        return WriterState::gone;
    case StatRead::unreadable:
        return WriterState::unknown;
    case StatRead::read:
        break;
    }
    // The same id with another start time is a new process that reuses the id; a
    // zombie has ended and only waits for its parent.
    if (stat.start_ticks != writer.start_ticks || stat.state == 'Z' || stat.state == 'X') return WriterState::gone;
    return WriterState::running;
}

std::string process_user_name() {
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) return found->pw_name;
    return "uid " + std::to_string(geteuid());
}

}  // namespace zizuvu
