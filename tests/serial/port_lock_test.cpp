// Exclusive use of a port between processes, and what a user without permission
// gets. The other process is port_holder (the program's own channel layer) or a
// tool of another kind; as root, the unprivileged side runs through setpriv.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "serial/serial_channel.hpp"
#include "tests/support/pty_pair.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using testing::PtyPair;
using testing::ScopedEnvironment;

constexpr const char* NOBODY = "65534";

// Another process, its standard input and output on pipes.
class OtherProcess {
public:
    explicit OtherProcess(std::vector<std::string> arguments) {
        int to_child[2];
        int from_child[2];
        if (pipe2(to_child, O_CLOEXEC) != 0 || pipe2(from_child, O_CLOEXEC) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(to_child[0], STDIN_FILENO);
            dup2(from_child[1], STDOUT_FILENO);
            std::vector<char*> argv;
            for (std::string& argument : arguments) argv.push_back(argument.data());
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(to_child[0]);
        close(from_child[1]);
        input_ = to_child[1];
        output_ = from_child[0];
    }
    ~OtherProcess() { finish(); }
    OtherProcess(const OtherProcess&) = delete;
    OtherProcess& operator=(const OtherProcess&) = delete;

    // The first line it printed, if one came in time.
    std::optional<std::string> first_line(std::chrono::milliseconds limit = 10s) {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd in{output_, POLLIN, 0};
            if (poll(&in, 1, 100) <= 0) continue;
            char c = 0;
            if (read(output_, &c, 1) != 1) return std::nullopt;
            if (c == '\n') return line;
            line.push_back(c);
        }
        return std::nullopt;
    }

    void finish() {
        if (input_ >= 0) close(input_);
        if (output_ >= 0) close(output_);
        input_ = output_ = -1;
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
};

std::vector<std::string> holder(const std::string& mode) { return {PORT_HOLDER, "Com1", mode}; }

std::vector<std::string> as_nobody(std::vector<std::string> command) {
    std::vector<std::string> wrapped = {"setpriv", std::string("--reuid=") + NOBODY, std::string("--regid=") + NOBODY,
                                        "--clear-groups", "--"};
    wrapped.insert(wrapped.end(), command.begin(), command.end());
    return wrapped;
}

class PortLock : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(radio.ok()); }

    PtyPair radio;
    ScopedEnvironment port{"ZIZUVU_COM1", radio.port_path()};
    ErrorState errors;
    ChannelTable table{errors};
};

TEST_F(PortLock, APortThisProgramHoldsGivesSeventyToAnotherProcessEvenAsRoot) {
    open_channel(table, "Com1", PORT_CHANNEL);
    ASSERT_EQ(error_number(errors), 0);
    OtherProcess other(holder("try"));
    EXPECT_EQ(other.first_line(), "70");
}

TEST_F(PortLock, APortAnotherProcessHoldsGivesSeventyAndAddsNoChannel) {
    OtherProcess other(holder("hold"));
    ASSERT_EQ(other.first_line(), "0");
    open_channel(table, "Com1", PORT_CHANNEL);
    EXPECT_EQ(error_number(errors), ERROR_PERMISSION_DENIED);
    EXPECT_EQ(find_channel_handle(table, PORT_CHANNEL), NO_OS_HANDLE);
    other.finish();
    clear_error(errors);
    open_channel(table, "Com1", PORT_CHANNEL);
    EXPECT_EQ(error_number(errors), 0);
}

TEST_F(PortLock, APortLockedByAToolOfAnotherKindGivesSeventy) {
    // flock(1) holds the same kind of lock on the device while cat waits for input.
    OtherProcess other({"flock", "--exclusive", radio.port_path(), "sh", "-c", "echo locked; cat"});
    ASSERT_EQ(other.first_line(), "locked");
    open_channel(table, "Com1", PORT_CHANNEL);
    EXPECT_EQ(error_number(errors), ERROR_PERMISSION_DENIED);
    EXPECT_EQ(find_channel_handle(table, PORT_CHANNEL), NO_OS_HANDLE);
}

TEST_F(PortLock, APortWithoutPermissionGivesSeventy) {
    if (geteuid() != 0) {
        ASSERT_EQ(chmod(radio.port_path().c_str(), 0), 0);
        open_channel(table, "Com1", PORT_CHANNEL);
        EXPECT_EQ(error_number(errors), ERROR_PERMISSION_DENIED);
        EXPECT_EQ(find_channel_handle(table, PORT_CHANNEL), NO_OS_HANDLE);
        return;
    }
    // Root opens anything: the unprivileged side is another process.
    ASSERT_EQ(chmod(radio.port_path().c_str(), 0600), 0);
    OtherProcess other(as_nobody(holder("try")));
    const std::optional<std::string> answer = other.first_line();
    if (!answer) GTEST_SKIP() << "cannot run port_holder as user " << NOBODY << " through setpriv";
    EXPECT_EQ(*answer, "70");
}

TEST_F(PortLock, ExclusiveUseEndsWithTheClose) {
    ASSERT_EQ(chmod(radio.port_path().c_str(), 0666), 0);
    open_channel(table, "Com1", PORT_CHANNEL);
    ASSERT_EQ(error_number(errors), 0);
    close_channel(table, PORT_CHANNEL);
    // An unprivileged program may use the port now: no exclusive flag is left on it.
    std::vector<std::string> command = holder("try");
    if (geteuid() == 0) command = as_nobody(command);
    OtherProcess other(command);
    const std::optional<std::string> answer = other.first_line();
    if (!answer) GTEST_SKIP() << "cannot run port_holder as user " << NOBODY << " through setpriv";
    EXPECT_EQ(*answer, "0");
}

}  // namespace
}  // namespace zizuvu
