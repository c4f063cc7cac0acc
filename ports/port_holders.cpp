#include "ports/port_holders.hpp"

#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <fstream>
#include <string>

#include "ports/system_files.hpp"

namespace zizuvu {
namespace {

// Every mount of devpts numbers its pseudo-terminals from 0 on the same majors, so
// a pseudo-terminal is the same only on the same mount.
constexpr unsigned PTY_SLAVE_MAJOR_FIRST = 136;
constexpr unsigned PTY_SLAVE_MAJOR_LAST = 143;

constexpr std::array<std::string_view, 3> HOLDING_LOCKS = {"FLOCK", "POSIX", "OFDLCK"};

std::vector<std::string_view> words_of(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t begin = line.find_first_not_of(" \t", start);
        if (begin == std::string_view::npos) break;
        const std::size_t end = std::min(line.find_first_of(" \t", begin), line.size());
        words.push_back(line.substr(begin, end - begin));
        start = end;
    }
    return words;
}

template <typename Number>
bool parse_number(std::string_view text, Number& value, int base) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    return !text.empty() && error == std::errc() && stop == end;
}

bool is_pseudo_terminal(const struct stat& device) {
    const unsigned device_major = major(device.st_rdev);
    return device_major >= PTY_SLAVE_MAJOR_FIRST && device_major <= PTY_SLAVE_MAJOR_LAST;
}

unsigned pseudo_terminal_index(const struct stat& device) {
    return (major(device.st_rdev) - PTY_SLAVE_MAJOR_FIRST) * 256U + minor(device.st_rdev);
}

bool same_device(const struct stat& open_file, const struct stat& device) {
    if (!S_ISCHR(open_file.st_mode) || open_file.st_rdev != device.st_rdev) return false;
    return !is_pseudo_terminal(device) || open_file.st_dev == device.st_dev;
}

bool is_process_number(const std::string& name) {
    return !name.empty() &&
           std::all_of(name.begin(), name.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

class HolderList {
public:
    explicit HolderList(const SystemRoots& roots) : roots_(roots) {}

    void add(pid_t pid) {
        if (pid <= 0 || has(pid)) return;
        const std::string comm = join_path(join_path(roots_.proc, std::to_string(pid)), "comm");
        holders_.push_back(PortHolder{pid, read_attribute(comm)});
    }

    bool has(pid_t pid) const {
        return pid == self_ || std::any_of(holders_.begin(), holders_.end(),
                                           [pid](const PortHolder& holder) { return holder.pid == pid; });
    }

    std::vector<PortHolder> take() { return std::move(holders_); }

private:
    const SystemRoots& roots_;
    const pid_t self_ = getpid();
    std::vector<PortHolder> holders_;
};

void add_lock_holders(std::vector<HolderList>& holders, const std::vector<struct stat>& devices,
                      const SystemRoots& roots) {
    std::ifstream locks(join_path(roots.proc, "locks"));
    std::string line;
    while (std::getline(locks, line)) {
        const std::optional<LockEntry> lock = parse_lock_line(line);
        if (!lock) continue;
        for (std::size_t i = 0; i < devices.size(); ++i) {
            if (lock->file_system_major == major(devices[i].st_dev) &&
                lock->file_system_minor == minor(devices[i].st_dev) && lock->inode == devices[i].st_ino) {
                holders[i].add(lock->pid);
            }
        }
    }
}

// The pseudo-terminal a process holds the master side of (/dev/ptmx), from the
// "tty-index" its open file's fdinfo shows; nothing for any other open file.
std::optional<unsigned> far_end_of(const std::string& process_folder, const std::string& fd) {
    std::ifstream info(join_path(join_path(process_folder, "fdinfo"), fd));
    std::string line;
    while (std::getline(info, line)) {
        constexpr std::string_view KEY = "tty-index:";
        if (line.rfind(KEY, 0) != 0) continue;
        unsigned index = 0;
        std::size_t begin = KEY.size();
        while (begin < line.size() && (line[begin] == ' ' || line[begin] == '\t')) ++begin;
        if (parse_number(std::string_view(line).substr(begin), index, 10)) return index;
    }
    return std::nullopt;
}

// One pass over every process's open files serves all the devices asked about:
// on a busy desktop that is thousands of files. The process at the other end of a
// pseudo-terminal (it holds the master side) is the line itself, not a competitor
// for the port, even when it also keeps the port's side open.
void add_processes_with_them_open(std::vector<HolderList>& holders, const std::vector<struct stat>& devices,
                                  const SystemRoots& roots) {
    for (const std::string& name : directory_entries(roots.proc)) {
        pid_t pid = 0;
        if (!is_process_number(name) || !parse_number(name, pid, 10) || pid == getpid()) continue;
        const std::string process_folder = join_path(roots.proc, name);
        const std::string fd_folder = join_path(process_folder, "fd");
        std::vector<std::size_t> opened;
        std::vector<unsigned> far_ends;
        for (const std::string& fd : directory_entries(fd_folder)) {
            struct stat open_file {};
            if (stat(join_path(fd_folder, fd).c_str(), &open_file) != 0 || !S_ISCHR(open_file.st_mode)) continue;
            if (const std::optional<unsigned> far_end = far_end_of(process_folder, fd)) far_ends.push_back(*far_end);
            for (std::size_t i = 0; i < devices.size(); ++i) {
                if (same_device(open_file, devices[i])) opened.push_back(i);
            }
        }
        for (const std::size_t i : opened) {
            const bool far_end = is_pseudo_terminal(devices[i]) &&
                                 std::find(far_ends.begin(), far_ends.end(), pseudo_terminal_index(devices[i])) !=
                                     far_ends.end();
            if (!far_end) holders[i].add(pid);
        }
    }
}

}  // namespace

std::optional<LockEntry> parse_lock_line(std::string_view line) {
    // "1: FLOCK  ADVISORY  WRITE 4242 00:19:3 0 EOF"; a waiter's line has "->" after the number.
    const std::vector<std::string_view> words = words_of(line);
    if (words.size() < 6 || words[0].empty() || words[0].back() != ':') return std::nullopt;
    if (std::find(HOLDING_LOCKS.begin(), HOLDING_LOCKS.end(), words[1]) == HOLDING_LOCKS.end()) return std::nullopt;
    LockEntry entry;
    if (!parse_number(words[4], entry.pid, 10)) return std::nullopt;
    const std::string_view file = words[5];
    const std::size_t first = file.find(':');
    const std::size_t second = file.find(':', first == std::string_view::npos ? first : first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    if (!parse_number(file.substr(0, first), entry.file_system_major, 16) ||
        !parse_number(file.substr(first + 1, second - first - 1), entry.file_system_minor, 16) ||
        !parse_number(file.substr(second + 1), entry.inode, 10)) {
        return std::nullopt;
    }
    return entry;
}

std::vector<std::vector<PortHolder>> find_port_holders(const std::vector<struct stat>& devices,
                                                      const SystemRoots& roots) {
    std::vector<HolderList> holders(devices.size(), HolderList(roots));
    if (!devices.empty()) {
        add_lock_holders(holders, devices, roots);
        add_processes_with_them_open(holders, devices, roots);
    }
    std::vector<std::vector<PortHolder>> found;
    found.reserve(holders.size());
    for (HolderList& list : holders) found.push_back(list.take());
    return found;
}

}  // namespace zizuvu
