#include "ports/port_access.hpp"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace zizuvu {
namespace {

// The reentrant look-ups, as the status panel may ask from any thread.
constexpr std::size_t FIRST_BUFFER = 4096;
constexpr std::size_t LARGEST_BUFFER = 1U << 20U;

template <typename Entry, typename Lookup>
bool look_up(Entry& entry, std::vector<char>& buffer, Lookup lookup) {
    for (buffer.resize(FIRST_BUFFER); buffer.size() <= LARGEST_BUFFER; buffer.resize(buffer.size() * 2)) {
        Entry* found = nullptr;
        const int error = lookup(&entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE) continue;
        return error == 0 && found != nullptr;
    }
    return false;
}

struct UserEntry {
    std::string name;
    gid_t group = 0;
    bool known = false;
};

UserEntry user_entry(uid_t uid) {
    passwd entry{};
    std::vector<char> buffer;
    const bool found = look_up(entry, buffer, [uid](passwd* out, char* text, std::size_t size, passwd** result) {
        return getpwuid_r(uid, out, text, size, result);
    });
    if (!found) return UserEntry{std::to_string(uid), 0, false};
    return UserEntry{entry.pw_name, entry.pw_gid, true};
}

std::string group_name(gid_t gid) {
    group entry{};
    std::vector<char> buffer;
    const bool found = look_up(entry, buffer, [gid](group* out, char* text, std::size_t size, group** result) {
        return getgrgid_r(gid, out, text, size, result);
    });
    return found ? std::string(entry.gr_name) : std::to_string(gid);
}

bool process_has_group(gid_t gid) {
    if (getegid() == gid) return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

bool database_has_member(const UserEntry& user, gid_t gid) {
    if (!user.known) return false;
    int count = 32;
    std::vector<gid_t> groups;
    for (int tries = 0; tries < 3; ++tries) {
        groups.resize(static_cast<std::size_t>(count));
        if (getgrouplist(user.name.c_str(), user.group, groups.data(), &count) >= 0) {
            groups.resize(static_cast<std::size_t>(count));
            return std::find(groups.begin(), groups.end(), gid) != groups.end();
        }
    }
    return false;
}

}  // namespace

PortAccess port_access(const struct stat& node) {
    PortAccess access;
    const UserEntry user = user_entry(getuid());
    access.user = user.name;
    access.owner = user_entry(node.st_uid).name;
    access.group = group_name(node.st_gid);
    access.mode = node.st_mode & 07777U;
    access.group_may_use = (node.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    access.in_group_now = process_has_group(node.st_gid);
    access.in_group_at_login = database_has_member(user, node.st_gid);
    return access;
}

}  // namespace zizuvu
