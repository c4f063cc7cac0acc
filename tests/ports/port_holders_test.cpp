#include "ports/port_holders.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "ports/port_explanation.hpp"
#include "ports/port_state.hpp"
#include "tests/ports/fake_system.hpp"
#include "tests/support/pty_pair.hpp"

namespace zizuvu {
namespace {

using testing::FakeSystem;
using testing::PtyPair;

// Another process named port_holder that opens the port (and locks it, as the
// program and most terminal programs do) and keeps it until the test lets go.
class HoldingProcess {
public:
    // `inherited` is an open file of the test's the child lets go of first, as a
    // process of its own would never have had it (the pseudo-terminal's master side).
    HoldingProcess(const std::string& path, bool lock, int inherited = -1) {
        int ready[2];
        int release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(release[1]);
            if (inherited >= 0) close(inherited);
            prctl(PR_SET_NAME, "port_holder");
            const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
            const char held = fd >= 0 && (!lock || flock(fd, LOCK_EX | LOCK_NB) == 0) ? 'y' : 'n';
            if (write(ready[1], &held, 1) != 1) _exit(1);
            char byte = 0;
            while (read(release[0], &byte, 1) > 0) {
            }
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        release_ = release[1];
        char held = 'n';
        holding_ = read(ready[0], &held, 1) == 1 && held == 'y';
        close(ready[0]);
    }
    ~HoldingProcess() {
        close(release_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }
    HoldingProcess(const HoldingProcess&) = delete;
    HoldingProcess& operator=(const HoldingProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool holding() const { return holding_; }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool holding_ = false;
};

TEST(PortHolders, AnotherProcessHoldingThePortIsNamedThisOneNeverIs) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    struct Case {
        std::string what;
        bool other_opens;
        bool other_locks;
        bool this_locks;
        bool other_is_far_end = false;  // the other process holds the master side too
    };
    const Case cases[] = {
        {"another process locks it", true, true, false},
        {"another process has it open without a lock", true, false, false},
        {"this process locks it", false, false, true},
        {"nobody has it", false, false, false},
        {"the far end of the pseudo-terminal keeps it open", true, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<HoldingProcess> other;
        if (c.other_opens) {
            other.emplace(pty.port_path(), c.other_locks, c.other_is_far_end ? -1 : pty.master());
            ASSERT_TRUE(other->holding());
        }
        const int own = c.this_locks ? open(pty.port_path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
        if (c.this_locks) {
            ASSERT_EQ(flock(own, LOCK_EX | LOCK_NB), 0);
        }

        const PortState state = port_state(pty.port_path());
        if (own >= 0) close(own);
        if (!other || c.other_is_far_end) {
            EXPECT_EQ(state.condition, PortCondition::present);
            EXPECT_TRUE(state.holders.empty());
            continue;
        }
        EXPECT_EQ(state.condition, PortCondition::in_use);
        ASSERT_EQ(state.holders.size(), 1U);
        EXPECT_EQ(state.holders[0].pid, other->pid());
        EXPECT_EQ(state.holders[0].name, "port_holder");
        EXPECT_EQ(explain_port_problem(70, pty.port_path(), state),
                  "in use by port_holder (PID " + std::to_string(other->pid()) + ")");
    }
}

TEST(PortHolders, SeveralPortsAskedAtOnceEachGetTheirOwnHolders) {
    PtyPair free_port;
    PtyPair held_port;
    ASSERT_TRUE(free_port.ok() && held_port.ok());
    const HoldingProcess other(held_port.port_path(), true);
    ASSERT_TRUE(other.holding());
    const std::vector<PortState> states =
        port_states({free_port.port_path(), held_port.port_path(), "/nonexistent/zizuvu-test-port"});
    ASSERT_EQ(states.size(), 3U);
    EXPECT_EQ(states[0].condition, PortCondition::present);
    EXPECT_EQ(states[1].condition, PortCondition::in_use);
    ASSERT_EQ(states[1].holders.size(), 1U);
    EXPECT_EQ(states[1].holders[0].pid, other.pid());
    EXPECT_EQ(states[2].condition, PortCondition::missing);
}

// The locks table alone, as /proc/locks would show a lock that a process of another
// user holds (whose open files this user cannot see).
TEST(PortHolders, TheLocksTableNamesHoldersOfTheDeviceOnly) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    struct stat node {};
    ASSERT_EQ(stat(pty.port_path().c_str(), &node), 0);
    char file[64];
    std::snprintf(file, sizeof file, "%02x:%02x:%llu", major(node.st_dev), minor(node.st_dev),
                  static_cast<unsigned long long>(node.st_ino));
    const std::string self = std::to_string(getpid());
    const std::string other_inode = std::to_string(node.st_ino + 1);

    struct Case {
        std::string what;
        std::string locks;
        std::vector<pid_t> holders;
    };
    const Case cases[] = {
        {"a flock", "1: FLOCK  ADVISORY  WRITE 4242 " + std::string(file) + " 0 EOF", {4242}},
        {"a POSIX lock", "1: POSIX  ADVISORY  WRITE 4242 " + std::string(file) + " 0 EOF", {4242}},
        {"a waiter only", "1: -> FLOCK  ADVISORY  WRITE 4242 " + std::string(file) + " 0 EOF", {}},
        {"this process's own lock", "1: FLOCK  ADVISORY  WRITE " + self + " " + file + " 0 EOF", {}},
        {"another file", "1: FLOCK  ADVISORY  WRITE 4242 00:19:" + other_inode + " 0 EOF", {}},
        {"a lease", "1: LEASE  ACTIVE    READ 4242 " + std::string(file) + " 0 EOF", {}},
        {"two holders among noise",
         "garbage\n\n1: FLOCK ADVISORY WRITE 4242 " + std::string(file) + " 0 EOF\n2: POSIX ADVISORY READ 777 " + file +
             " 0 EOF\n3: FLOCK ADVISORY WRITE x " + file + " 0 EOF\n4: FLOCK ADVISORY WRITE 9 zz:19:3 0 EOF",
         {4242, 777}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FakeSystem machine;
        machine.file("proc/locks", c.locks);
        machine.file("proc/4242/comm", "picocom");
        const PortState state = port_state(pty.port_path(), SystemRoots{"/sys", "/dev", machine.path("proc")});
        std::vector<pid_t> pids;
        for (const PortHolder& holder : state.holders) pids.push_back(holder.pid);
        EXPECT_EQ(pids, c.holders);
        EXPECT_EQ(state.condition, c.holders.empty() ? PortCondition::present : PortCondition::in_use);
        if (!c.holders.empty() && c.holders[0] == 4242) {
            EXPECT_EQ(state.holders[0].name, "picocom");
        }
    }
}

}  // namespace
}  // namespace zizuvu
