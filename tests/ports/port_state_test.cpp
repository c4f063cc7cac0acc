#include "ports/port_state.hpp"

#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

#include "ports/port_explanation.hpp"
#include "tests/ports/fake_system.hpp"
#include "tests/support/pty_pair.hpp"

namespace zizuvu {
namespace {

using testing::FakeSystem;
using testing::PtyPair;

// The machine's own sysfs and process table, with the test's /dev.
SystemRoots real_system_with_dev(const FakeSystem& machine) { return SystemRoots{"/sys", machine.path("dev"), "/proc"}; }

TEST(PortState, EachKindOfPathIsToldApartWithoutOpeningIt) {
    const FakeSystem machine;
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    machine.file("dev/radio.hex", ":00000001FF");
    machine.folder("dev/serial/by-id");
    ASSERT_EQ(mkfifo(machine.path("dev/pipe").c_str(), 0600), 0);
    machine.link("dev/serial/by-id/usb-gone", "dev/ttyUSB7");
    ASSERT_EQ(symlink(pty.port_path().c_str(), machine.path("dev/serial/by-id/usb-pty").c_str()), 0);
    ASSERT_EQ(symlink("loop", machine.path("dev/loop").c_str()), 0);

    struct Case {
        std::string what;
        std::string path;
        PortCondition condition;
        std::string kind;
        int error;
        std::string link_target;
    };
    const Case cases[] = {
        {"a pseudo-terminal", pty.port_path(), PortCondition::present, "", 0, ""},
        {"a link to one", machine.path("dev/serial/by-id/usb-pty"), PortCondition::present, "", 0, ""},
        {"nothing", machine.path("dev/ttyUSB9"), PortCondition::missing, "", ENOENT, ""},
        {"an empty path", "", PortCondition::missing, "", ENOENT, ""},
        {"a link to nothing", machine.path("dev/serial/by-id/usb-gone"), PortCondition::missing, "", ENOENT,
         machine.path("dev/ttyUSB7")},
        {"a file on the way", machine.path("dev/radio.hex/ttyUSB0"), PortCondition::missing, "", ENOTDIR, ""},
        {"a link loop", machine.path("dev/loop"), PortCondition::missing, "", ELOOP, ""},
        {"a file", machine.path("dev/radio.hex"), PortCondition::not_a_serial_device, "a regular file", 0, ""},
        {"a FIFO", machine.path("dev/pipe"), PortCondition::not_a_serial_device, "a FIFO", 0, ""},
        {"a directory", machine.path("dev/serial"), PortCondition::not_a_serial_device, "a directory", 0, ""},
        {"/dev/null", "/dev/null", PortCondition::not_a_serial_device, "a mem device", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PortState state = port_state(c.path, real_system_with_dev(machine));
        EXPECT_EQ(state.condition, c.condition);
        EXPECT_EQ(state.kind, c.kind);
        EXPECT_EQ(state.error, c.error);
        EXPECT_EQ(state.link_target, c.link_target);
        EXPECT_TRUE(state.holders.empty());
    }
}

// Where sysfs describes a character device, it decides: a terminal with hardware
// behind it is a serial port, anything else is not.
TEST(PortState, SysfsDecidesWhatACharacterDeviceIs) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    struct stat node {};
    ASSERT_EQ(stat(pty.port_path().c_str(), &node), 0);
    const std::string numbers = std::to_string(major(node.st_rdev)) + ":" + std::to_string(minor(node.st_rdev));

    struct Case {
        std::string what;
        std::string subsystem;
        bool has_device;
        std::string type;
        PortCondition condition;
        std::string kind;
    };
    const Case cases[] = {
        {"a serial port", "tty", true, "4", PortCondition::present, ""},
        {"a USB adapter (no type)", "tty", true, "", PortCondition::present, ""},
        {"a port without hardware", "tty", true, "0", PortCondition::not_a_serial_device,
         "a serial port with no hardware behind it"},
        {"a console", "tty", false, "", PortCondition::not_a_serial_device, "a virtual terminal"},
        {"a memory device", "mem", false, "", PortCondition::not_a_serial_device, "a mem device"},
        {"an input device", "input", false, "", PortCondition::not_a_serial_device, "an input device"},
        {"nothing in sysfs: the pseudo-terminal major", "", false, "", PortCondition::present, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FakeSystem machine;
        if (!c.subsystem.empty()) {
            const std::string device = "sys/devices/some/" + numbers;
            machine.file(device + "/dev", numbers);
            machine.folder("sys/class/" + c.subsystem);
            machine.link(device + "/subsystem", "sys/class/" + c.subsystem);
            if (c.has_device) machine.link(device + "/device", "sys/devices/some");
            if (!c.type.empty()) machine.file(device + "/type", c.type);
            machine.link("sys/dev/char/" + numbers, device);
        }
        const PortState state = port_state(pty.port_path(), SystemRoots{machine.path("sys"), "/dev", "/proc"});
        EXPECT_EQ(state.condition, c.condition);
        EXPECT_EQ(state.kind, c.kind);
    }
    const FakeSystem machine;
    EXPECT_EQ(port_state("/dev/null", machine.roots()).kind, "a device of another kind");
}

struct SeenByNobody {
    PortCondition condition;
    std::string explanation;
};

// Root passes every permission check, so the question is asked by a child process
// that has become nobody first. Nothing when the test cannot become nobody.
std::optional<SeenByNobody> as_nobody(const std::string& path) {
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) return std::nullopt;
    const pid_t child = fork();
    if (child == 0) {
        close(pipe_ends[0]);
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
        const PortState state = port_state(path);
        const std::string answer =
            std::to_string(static_cast<int>(state.condition)) + "\n" + explain_port_problem(70, path, state);
        const ssize_t written = write(pipe_ends[1], answer.data(), answer.size());
        _exit(written == static_cast<ssize_t>(answer.size()) ? 0 : 4);
    }
    close(pipe_ends[1]);
    std::string answer;
    char buffer[256];
    for (ssize_t got; (got = read(pipe_ends[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, static_cast<std::size_t>(got));
    close(pipe_ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    const std::size_t line_end = answer.find('\n');
    return SeenByNobody{static_cast<PortCondition>(std::stoi(answer.substr(0, line_end))), answer.substr(line_end + 1)};
}

TEST(PortState, AUserWhoMayNotUseThePortIsToldWhy) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root, to become nobody in a child process";
    const group* dialout = getgrnam("dialout");
    if (dialout == nullptr) GTEST_SKIP() << "this machine has no dialout group";
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const std::string path = pty.port_path();
    struct Case {
        std::string what;
        mode_t mode;
        std::string explanation;
    };
    const Case cases[] = {
        {"the group may", 0660, "not in group dialout: sudo usermod -aG dialout nobody, then log in again"},
        {"only the owner may", 0600, "only root may use " + path + " (mode 600): ask for a udev rule"},
    };
    ASSERT_EQ(chown(path.c_str(), 0, dialout->gr_gid), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
        const std::optional<SeenByNobody> seen = as_nobody(path);
        if (!seen) GTEST_SKIP() << "could not become nobody (65534) in a child process";
        EXPECT_EQ(seen->condition, PortCondition::no_permission);
        EXPECT_EQ(seen->explanation, c.explanation);
    }
    // Root itself may.
    EXPECT_EQ(port_state(path).condition, PortCondition::present);
}

}  // namespace
}  // namespace zizuvu
