#pragma once
// A small file system of a test's own: a tmpfs mounted in a mount namespace of the
// test process (inherited by the programs it starts), so that nothing outside the
// test sees it. It takes root; where it cannot be had, it says why, for the test to
// skip with.
//
//   PrivateTmpfs       mounts at a folder (made if missing), unmounts when destroyed
//     why_not          empty when mounted
//     remount_read_only
//   fill_up            writes a file until the file system is full

#include <string>

namespace zizuvu::testing {

class PrivateTmpfs {
public:
    PrivateTmpfs(const std::string& folder, const char* size);
    ~PrivateTmpfs();
    PrivateTmpfs(const PrivateTmpfs&) = delete;
    PrivateTmpfs& operator=(const PrivateTmpfs&) = delete;

    const std::string& why_not() const { return why_not_; }
    // Empty, or why not.
    std::string remount_read_only();

private:
    std::string folder_;
    std::string why_not_;
};

void fill_up(const std::string& filler);

}  // namespace zizuvu::testing
