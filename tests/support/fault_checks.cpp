#include "tests/support/fault_checks.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/process_usage.hpp"

namespace zizuvu::testing {

int descriptors_on(pid_t pid, const std::string& device) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd")) {
        std::error_code error;
        const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (!error && target.rfind(device, 0) == 0) ++count;
    }
    return count;
}

bool port_is_free(const std::string& device) {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return locked;
}

void expect_no_spin(pid_t pid) {
    const double before = processor_seconds(pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_LT(processor_seconds(pid) - before, 0.3) << "the program spins while it waits";
}

std::string indicator(const TerminalScreen& screen) { return screen.row_text(51).substr(64, 12); }

}  // namespace zizuvu::testing
