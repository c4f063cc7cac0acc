#include "tests/support/private_tmpfs.hpp"

#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace zizuvu::testing {

PrivateTmpfs::PrivateTmpfs(const std::string& folder, const char* size) : folder_(folder) {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (unshare(CLONE_NEWNS) != 0) {
        why_not_ = std::string("no mount namespace: ") + std::strerror(errno);
    } else if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        why_not_ = std::string("mounts not private: ") + std::strerror(errno);
    } else if (mount("tmpfs", folder_.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) != 0) {
        why_not_ = std::string("no tmpfs: ") + std::strerror(errno);
    }
}

PrivateTmpfs::~PrivateTmpfs() {
    if (why_not_.empty()) umount2(folder_.c_str(), MNT_DETACH);
}

std::string PrivateTmpfs::remount_read_only() {
    if (mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        return std::string("no read-only remount: ") + std::strerror(errno);
    return "";
}

void fill_up(const std::string& filler) {
    std::ofstream out(filler, std::ios::binary);
    const std::string block(1024, 'x');
    while (out.write(block.data(), static_cast<std::streamsize>(block.size())) && out.flush()) {
    }
}

}  // namespace zizuvu::testing
