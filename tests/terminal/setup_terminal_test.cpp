// The terminal run in-process with a scripted keyboard: a port that cannot be opened,
// a line held up by flow control while the operator's keys pile up, and a device that
// goes away and comes back.
#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "app/main_menu.hpp"
#include "terminal/setup_terminal.hpp"
#include "tests/support/eventually.hpp"
#include "tests/support/pty_pair.hpp"
#include "tests/support/run_command.hpp"
#include "tests/support/scripted_console.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;

// The scripted keyboard, with the beeps and keys counted where the radio's thread can see them.
class CountedBeeps final : public ConsoleIo {
public:
    explicit CountedBeeps(testing::ScriptedConsole& script) : script_(script) {}
    void present(Screen& screen) override { script_.present(screen); }
    void read_keys(KeyQueue& keys) override {
        const std::size_t before = keys.size();
        script_.read_keys(keys);
        keys_given += keys.size() - before;
    }
    void wait_for_input(OsHandle port) override { script_.wait_for_input(port); }
    void wait_for_input_or_time(std::chrono::milliseconds limit) override { script_.wait_for_input_or_time(limit); }
    void beep() override { ++beeps; }
    bool termination_requested() const override { return script_.termination_requested(); }

    std::atomic<int> beeps{0};
    std::atomic<std::size_t> keys_given{0};

private:
    testing::ScriptedConsole& script_;
};

const std::string MISSING_STATUS = "  Com1 not available - waiting for it  Q or q to quit";

struct TerminalRig {
    TerminalRig() {
        script.watch(console.screen);
        start_up(program);
    }
    std::string row(int r) const { return row_text(console.screen, r); }

    testing::ScriptedConsole script;
    CountedBeeps device{script};
    Console console{device};
    Program program{console};
    Session& session = program.session;
};

TEST(SetupTerminal, APortThatCannotBeOpenedKeepsTheScreenRefusesKeysAndQStillLeaves) {
    // Said here too, so that no run of this test outside CTest can reach a real port.
    testing::ScopedEnvironment com1("ZIZUVU_COM1", "/nonexistent/zizuvu-test-com1");
    TerminalRig rig;
    rig.script.when_screen_shows("  1  53   0 ");  // no such port, right after the open
    for (int i = 0; i < 30; ++i) rig.script.type("a");
    rig.script.type("q");
    run_setup_terminal(rig.session, rig.program.terminal);
    EXPECT_TRUE(rig.script.used_up());
    EXPECT_EQ(rig.row(1), std::string(19, ' ') + "Varnello Radio Setup Screen" + std::string(34, ' '));
    // Tried again and again meanwhile, and never a second failure shown for it.
    EXPECT_EQ(rig.row(51), MISSING_STATUS + std::string(64 - MISSING_STATUS.size(), ' ') + "  1  53   0     ");
    EXPECT_EQ(rig.session.error_count, 1);
    EXPECT_EQ(error_number(rig.session.errors), 0);
    // The indicator, and every key refused.
    EXPECT_EQ(rig.device.beeps, 31);
}

TEST(SetupTerminal, ARefusedSettingShowsWithTheNextReceivedByte) {
    testing::PtyPair line;
    ASSERT_TRUE(line.ok());
    testing::ScopedEnvironment com1("ZIZUVU_COM1", line.port_path());
    TerminalRig rig;
    rig.session.port_settings.baud_rate = 12345;  // no line runs at that speed
    rig.script.type("z").when_screen_shows("echo").type("q");
    int beeps_before_any_byte = -1;
    std::thread radio([&] {
        if (line.receive(1, 20s) != "z") return;
        beeps_before_any_byte = rig.device.beeps;
        line.send("echo");
    });
    run_setup_terminal(rig.session, rig.program.terminal);
    radio.join();
    // Nothing showed at the open, which worked; the setting's error waited for a received byte.
    EXPECT_EQ(beeps_before_any_byte, 0);
    EXPECT_EQ(rig.row(51).substr(64, 12), "  1   5   0 ");
    EXPECT_EQ(rig.session.error_count, 1);
    EXPECT_EQ(rig.device.beeps, 1);
    EXPECT_NE(rig.row(2).find("echo"), std::string::npos);
}

TEST(SetupTerminal, KeysTypedFasterThanTheLineTakesThemGoOutInOrderAndLeavingDropsTheRest) {
    testing::PtyPair line;
    ASSERT_TRUE(line.ok());
    testing::ScopedEnvironment com1("ZIZUVU_COM1", line.port_path());
    TerminalRig rig;
    rig.session.port_settings.baud_rate = 4800;
    std::string typed;
    for (int i = 0; i < 1030; ++i) typed.push_back(static_cast<char>('a' + i % 16));
    rig.script.when_screen_shows("HELD").type(typed).when_screen_shows("AGAIN").type("xyzq");

    std::string sent_after_release;
    std::thread radio([&] {
        if (!testing::eventually([&] { const termios mode = line.far_end_mode(); return cfgetospeed(&mode) == B4800; })) return;
        line.hold_port_output();
        line.send("HELD\r\n");
        if (!testing::eventually([&] { return rig.device.beeps >= 6; })) return;
        line.release_port_output();
        sent_after_release = line.receive(TRANSMIT_QUEUE_SIZE, 10s);
        // The writer counts its write done only after the far end has the bytes; a key
        // looked at before that would still find the full queue of the held line.
        std::this_thread::sleep_for(200ms);
        line.hold_port_output();
        line.send("AGAIN\r\n");
    });
    run_setup_terminal(rig.session, rig.program.terminal);
    radio.join();
    line.release_port_output();
    EXPECT_TRUE(rig.script.used_up());
    EXPECT_EQ(sent_after_release, typed.substr(0, TRANSMIT_QUEUE_SIZE));
    EXPECT_EQ(rig.device.beeps, 6);
    EXPECT_EQ(rig.session.error_count, 0);
    // "xyz" were still queued on the held line when "q" came: never sent.
    EXPECT_EQ(line.receive(1, 300ms), "");
}

TEST(SetupTerminal, KeysStillInTheDriverWhenQComesNeverReachTheRadio) {
    testing::PtyPair line;
    ASSERT_TRUE(line.ok());
    testing::ScopedEnvironment com1("ZIZUVU_COM1", line.port_path());
    TerminalRig rig;
    // The radio reads nothing until the terminal is closed: what does not fit its
    // input waits in the driver, the last key typed before "q" among it.
    const std::string typed = std::string(5000, 'a') + "Z";
    rig.script.type(typed).when_screen_shows("HELD").type("q");
    std::thread radio([&] {
        int waiting = 0;
        const bool line_full = testing::eventually([&] {
            return ioctl(line.master(), FIONREAD, &waiting) == 0 && waiting > 0 && rig.device.keys_given == typed.size();
        });
        std::this_thread::sleep_for(200ms);  // the writer hands the last keys to the driver
        if (line_full) line.send("HELD\r\n");
    });
    run_setup_terminal(rig.session, rig.program.terminal);
    radio.join();
    EXPECT_TRUE(rig.script.used_up());
    const std::string received = line.receive(typed.size(), 1s);
    EXPECT_LT(received.size(), typed.size());
    EXPECT_EQ(received.find('Z'), std::string::npos) << "a key typed before q reached the radio after the close";
    EXPECT_EQ(rig.session.error_count, 0);
}

// A port whose path is a link the test moves from one pseudo-terminal to another, as
// a USB adapter pulled and plugged in again comes back under the same name.
struct MovingPort {
    explicit MovingPort(bool plugged_in = true) {
        if (plugged_in) std::filesystem::create_symlink(first.port_path(), path);
    }
    void pull_out() {
        first.hang_up();
        std::filesystem::remove(path);
    }
    void plug_in() { std::filesystem::create_symlink(second.port_path(), path); }

    testing::TempDir dir;
    std::string path = dir.file("com1");
    testing::PtyPair first;
    testing::PtyPair second;
};

TEST(SetupTerminal, ADeviceThatGoesAwayIsShownAtOnceAndUsedAgainWithItsSettingsWhenItComesBack) {
    MovingPort port;
    ASSERT_TRUE(port.first.ok() && port.second.ok());
    testing::ScopedEnvironment com1("ZIZUVU_COM1", port.path);
    TerminalRig rig;
    rig.session.port_settings.baud_rate = 4800;
    // "b" is typed while the device is away: refused, never sent, not even once it is back.
    // "!" tells the radio's side that the screen shows what it sent (it does not read
    // the screen itself: that belongs to the program's thread).
    rig.script.type("a").when_screen_shows("before").type("!").when_screen_shows("not available - waiting").type("b");
    rig.script.when_screen_shows("Baudrate =  4800   Q or q to quit").type("c").when_screen_shows("welcome back").type("q");

    std::string first_received;
    std::string second_received;
    int beeps_while_gone = -1;
    std::thread radio([&] {
        if (port.first.receive(1, 20s) != "a") return;
        port.first.send("before\r\n");
        first_received = "a" + port.first.receive(1, 20s);
        port.pull_out();
        // The loss on the indicator, then "b" refused.
        if (!testing::eventually([&] { return rig.device.beeps >= 2; })) return;
        beeps_while_gone = rig.device.beeps;
        port.plug_in();
        second_received = port.second.receive(1, 20s);
        const termios mode = port.second.far_end_mode();
        if (cfgetospeed(&mode) != B4800) return;
        port.second.send("welcome back\r\n");
    });
    run_setup_terminal(rig.session, rig.program.terminal);
    radio.join();
    EXPECT_TRUE(rig.script.used_up());
    EXPECT_EQ(first_received, "a!");
    EXPECT_EQ(second_received, "c");
    EXPECT_EQ(port.second.receive(1, 300ms), "");
    // The loss on the indicator once, and "b" refused: nothing else rang.
    EXPECT_EQ(beeps_while_gone, 2);
    EXPECT_EQ(rig.device.beeps, 2);
    EXPECT_EQ(rig.session.error_count, 1);
    const Screen& gone = rig.script.screen_at_key(2);
    EXPECT_EQ(row_text(gone, 51).substr(0, 64), MISSING_STATUS + std::string(64 - MISSING_STATUS.size(), ' '));
    EXPECT_EQ(cell_at(gone, 51, 1).attribute, 0x1E);
    EXPECT_EQ(row_text(gone, 51).substr(64, 3), "  1");
    EXPECT_NE(row_text(gone, 51).substr(68, 3), "  0");
    // The same screen goes on: what came before the loss, then what came after it.
    EXPECT_EQ(rig.row(2).rfind("before ", 0), 0U);
    EXPECT_EQ(rig.row(3).rfind("welcome back ", 0), 0U);
    EXPECT_EQ(rig.row(51).substr(0, 64), "  Com1        Baudrate =  4800   Q or q to quit" + std::string(17, ' '));
    EXPECT_EQ(rig.row(51).substr(64, 3), "  1");
}

TEST(SetupTerminal, APortPluggedInAfterTheTerminalOpenedIsTakenWithTheTerminalsSettings) {
    MovingPort port(false);
    ASSERT_TRUE(port.second.ok());
    testing::ScopedEnvironment com1("ZIZUVU_COM1", port.path);
    TerminalRig rig;
    rig.session.port_settings.baud_rate = 4800;
    // "x" is refused while the port is missing; "y" goes out once it is there.
    rig.script.when_screen_shows("not available - waiting").type("x");
    rig.script.when_screen_shows("Baudrate =  4800   Q or q to quit").type("y").when_screen_shows("hello").type("q");
    std::string received;
    std::thread radio([&] {
        std::this_thread::sleep_for(2s);
        port.plug_in();
        received = port.second.receive(1, 20s);
        const termios mode = port.second.far_end_mode();
        if (cfgetospeed(&mode) == B4800) port.second.send("hello\r\n");
    });
    run_setup_terminal(rig.session, rig.program.terminal);
    radio.join();
    EXPECT_TRUE(rig.script.used_up());
    EXPECT_EQ(received, "y");
    EXPECT_EQ(rig.row(2).rfind("hello ", 0), 0U);
    // The failed open on the indicator, and "x" refused.
    EXPECT_EQ(rig.device.beeps, 2);
    EXPECT_EQ(rig.session.error_count, 1);
}

TEST(SetupTerminal, QLeavesWhileTheDeviceIsAwayAndNothingStaysOpen) {
    MovingPort port;
    ASSERT_TRUE(port.first.ok());
    testing::ScopedEnvironment com1("ZIZUVU_COM1", port.path);
    TerminalRig rig;
    rig.script.type("k").when_screen_shows("not available - waiting").type("Q");
    std::thread radio([&] {
        if (port.first.receive(1, 20s) == "k") port.pull_out();
    });
    run_setup_terminal(rig.session, rig.program.terminal);
    radio.join();
    EXPECT_TRUE(rig.script.used_up());
    EXPECT_EQ(find_channel_handle(rig.session.channels, PORT_CHANNEL), NO_OS_HANDLE);
    EXPECT_EQ(rig.session.error_count, 1);
    EXPECT_EQ(error_number(rig.session.errors), 0);
}

}  // namespace
}  // namespace zizuvu
