#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "records/record_text.hpp"
#include "records/store_access.hpp"

namespace zizuvu {

namespace {

// The files SQLite keeps beside a database; they belong to it and go with it.
constexpr const char* COMPANIONS[] = {"-wal", "-shm", "-journal"};

bool path_taken(const std::filesystem::path& path) { return access(path.c_str(), F_OK) == 0; }

// "records.sqlite3.corrupt-20261209-101502", with "-2", "-3" .. when that is taken.
std::filesystem::path free_aside_name(const std::filesystem::path& path) {
    const std::string base = path.string() + ".corrupt-" + aside_time_text(std::chrono::system_clock::now());
    std::filesystem::path name = base;
    for (int n = 2; path_taken(name) || path_taken(name.string() + "-wal"); ++n) name = base + "-" + std::to_string(n);
    return name;
}

}  // namespace

SetAside set_aside(const std::filesystem::path& path) {
    const std::filesystem::path name = free_aside_name(path);
    // The companions go first: a new file beside an old write-ahead log could take
    // the old file's pages in.
    for (const char* companion : COMPANIONS) {
        const std::string from = path.string() + companion;
        if (std::rename(from.c_str(), (name.string() + companion).c_str()) != 0 && errno != ENOENT)
            return {{}, errno_reason(errno, from)};
    }
    if (std::rename(path.c_str(), name.c_str()) != 0) return {{}, errno_reason(errno, path)};
    return {name, ""};
}

}  // namespace zizuvu
