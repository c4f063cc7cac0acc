#include "tests/support/fault_checks.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

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

namespace {

// The fields of /proc/<pid>/stat from the state on (field 3), behind the command name,
// which may contain blanks.
std::vector<std::string> stat_fields(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::vector<std::string> fields;
    const auto name_end = line.rfind(')');
    if (name_end == std::string::npos) return fields;
    std::istringstream rest(line.substr(name_end + 2));
    std::string field;
    while (rest >> field) fields.push_back(field);
    return fields;
}

}  // namespace

bool wait_until_ended(pid_t pid, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const std::vector<std::string> fields = stat_fields(pid);
        if (!fields.empty() && fields[0] == "Z") return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::optional<int> scheduling_policy(pid_t pid) {
    constexpr std::size_t POLICY = 41 - 3;
    const std::vector<std::string> fields = stat_fields(pid);
    if (fields.size() <= POLICY) return std::nullopt;
    return std::stoi(fields[POLICY]);
}

void expect_back_at_menu_without(PtyProcess& program, const std::string& device) {
    ASSERT_TRUE(program.wait_for_text("<esc>    End program")) << program.screen().dump();
    EXPECT_EQ(descriptors_on(program.pid(), device), 0) << "the port is still held";
}

void expect_escape_ends_with_zero(PtyProcess& program) {
    program.send("\x1b");
    const auto status = program.wait_exit();
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
}

}  // namespace zizuvu::testing
