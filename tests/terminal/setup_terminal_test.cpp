// The terminal run in-process with a scripted keyboard: a port that cannot be opened,
// and a line held up by flow control while the operator's keys pile up.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/main_menu.hpp"
#include "app/procedures.hpp"
#include "tests/support/pty_pair.hpp"
#include "tests/support/scripted_console.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The scripted keyboard, with the beeps counted where the radio's thread can see them.
class CountedBeeps final : public ConsoleIo {
public:
    explicit CountedBeeps(testing::ScriptedConsole& script) : script_(script) {}
    void present(Screen& screen) override { script_.present(screen); }
    void read_keys(KeyQueue& keys) override { script_.read_keys(keys); }
    void wait_for_input(OsHandle port) override { script_.wait_for_input(port); }
    void beep() override { ++beeps; }
    bool termination_requested() const override { return script_.termination_requested(); }

    std::atomic<int> beeps{0};

private:
    testing::ScriptedConsole& script_;
};

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
};

// Until the condition holds, for at most as long as no working program needs.
template <typename Condition>
bool eventually(Condition condition) {
    const auto end = Clock::now() + 20s;
    while (!condition()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST(SetupTerminal, APortThatCannotBeOpenedKeepsTheScreenQueuesKeysAndQStillLeaves) {
    // Said here too, so that no run of this test outside CTest can reach a real port.
    testing::ScopedEnvironment com1("ZIZUVU_COM1", "/nonexistent/zizuvu-test-com1");
    TerminalRig rig;
    rig.script.when_screen_shows("  1  53   0 ");  // no such port, right after the open
    for (int i = 0; i < 1030; ++i) rig.script.type("a");
    rig.script.type("q");
    run_setup_terminal(rig.program);
    EXPECT_TRUE(rig.script.used_up());
    EXPECT_EQ(rig.row(1), std::string(19, ' ') + "Varnello Radio Setup Screen" + std::string(34, ' '));
    // At the close, the last failed query of the port that was never open.
    EXPECT_EQ(rig.row(51), "  Com1        Baudrate =  19200   Q or q to quit" + std::string(16, ' ') + "  2  52   0     ");
    EXPECT_EQ(rig.program.error_count, 2);
    EXPECT_EQ(error_number(rig.program.errors), 0);
    // The two indicators, and the six keys that no longer fitted the queue's 1024 bytes.
    EXPECT_EQ(rig.device.beeps, 8);
}

TEST(SetupTerminal, ARefusedSettingShowsWithTheNextReceivedByte) {
    testing::PtyPair line;
    ASSERT_TRUE(line.ok());
    testing::ScopedEnvironment com1("ZIZUVU_COM1", line.port_path());
    TerminalRig rig;
    rig.program.port_settings.baud_rate = 12345;  // no line runs at that speed
    rig.script.type("z").when_screen_shows("echo").type("q");
    int beeps_before_any_byte = -1;
    std::thread radio([&] {
        if (line.receive(1, 20s) != "z") return;
        beeps_before_any_byte = rig.device.beeps;
        line.send("echo");
    });
    run_setup_terminal(rig.program);
    radio.join();
    // Nothing showed at the open, which worked; the setting's error waited for a received byte.
    EXPECT_EQ(beeps_before_any_byte, 0);
    EXPECT_EQ(rig.row(51).substr(64, 12), "  1   5   0 ");
    EXPECT_EQ(rig.program.error_count, 1);
    EXPECT_EQ(rig.device.beeps, 1);
    EXPECT_NE(rig.row(2).find("echo"), std::string::npos);
}

TEST(SetupTerminal, KeysTypedFasterThanTheLineTakesThemGoOutInOrderAndLeavingDropsTheRest) {
    testing::PtyPair line;
    ASSERT_TRUE(line.ok());
    testing::ScopedEnvironment com1("ZIZUVU_COM1", line.port_path());
    TerminalRig rig;
    rig.program.port_settings.baud_rate = 4800;
    std::string typed;
    for (int i = 0; i < 1030; ++i) typed.push_back(static_cast<char>('a' + i % 16));
    rig.script.when_screen_shows("HELD").type(typed).when_screen_shows("AGAIN").type("xyzq");

    std::string sent_after_release;
    std::thread radio([&] {
        if (!eventually([&] { const termios mode = line.far_end_mode(); return cfgetospeed(&mode) == B4800; })) return;
        line.hold_port_output();
        line.send("HELD\r\n");
        if (!eventually([&] { return rig.device.beeps >= 6; })) return;
        line.release_port_output();
        sent_after_release = line.receive(TRANSMIT_QUEUE_SIZE, 10s);
        line.hold_port_output();
        line.send("AGAIN\r\n");
    });
    run_setup_terminal(rig.program);
    radio.join();
    line.release_port_output();
    EXPECT_TRUE(rig.script.used_up());
    EXPECT_EQ(sent_after_release, typed.substr(0, TRANSMIT_QUEUE_SIZE));
    EXPECT_EQ(rig.device.beeps, 6);
    EXPECT_EQ(rig.program.error_count, 0);
    // "xyz" were still queued on the held line when "q" came: never sent.
    EXPECT_EQ(line.receive(1, 300ms), "");
}

}  // namespace
}  // namespace zizuvu
