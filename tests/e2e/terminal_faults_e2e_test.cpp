// The setup terminal under faults, end to end against zizuvu-radio: the radio's device
// going away (its pseudo-terminal closed, as a USB adapter pulled) and coming back at
// the same path, termination signals, and a second program on the port in use. Nothing
// may crash, hang or spin; the operator is told at once, "Q" leads back to the menu,
// and the port is let go.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "tests/support/fault_checks.hpp"
#include "tests/support/pty_process.hpp"
#include "tests/support/radio_peer.hpp"
#include "tests/support/run_command.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using namespace testing;

const std::string GONE_TEXT = "  Com1 not available - waiting for it  Q or q to quit";

std::string status_text(const TerminalScreen& screen) { return screen.row_text(51).substr(0, 64); }
std::string padded(const std::string& text) { return text + std::string(64 - text.size(), ' '); }
std::string settings_text(int baud) {
    return padded("  Com1        Baudrate =  " + std::to_string(baud) + "   Q or q to quit");
}

// The program with Com1 at the link the radio keeps at its device, wherever that is.
struct LinkedTerminal {
    explicit LinkedTerminal(std::vector<std::string> radio_options = {}) {
        radio_options.insert(radio_options.begin(), {"--link", link});
        radio = RadioProcess::start(dir.path(), radio_options);
        program = PtyProcess::start({ZIZUVU_EXECUTABLE}, {"ZIZUVU_COM1=" + link});
    }
    bool started() const { return radio != nullptr && program != nullptr; }
    void set_baud(const std::string& baud) {
        ASSERT_TRUE(program->wait_for_text("<esc>    End program"));
        program->send("3");
        ASSERT_TRUE(program->wait_for_text("Com Port Number"));
        program->send("0\r" + baud + "\r");
        ASSERT_TRUE(program->wait_for_text("Baudrate =  " + baud + " "));
    }
    void enter_terminal() {
        ASSERT_TRUE(program->wait_for_text("<esc>    End program"));
        program->send("2");
        ASSERT_TRUE(program->wait_for_text("Varnello Radio Setup Screen")) << program->screen().dump();
    }
    // The bytes the radio received, each with the line speed it came at, once there are `count`.
    std::vector<WireLogLine> radio_received(std::size_t count) {
        std::vector<WireLogLine> bytes;
        for (int tries = 0; tries < 1000; ++tries) {
            bytes.clear();
            for (const auto& line : read_wire_log(radio->log_path())) {
                if (!line.note && !line.sent) bytes.push_back(line);
            }
            if (bytes.size() >= count) break;
            usleep(10000);
        }
        return bytes;
    }
    std::string radio_received_text(std::size_t count) {
        std::string text;
        for (const auto& line : radio_received(count)) text.push_back(static_cast<char>(line.byte));
        return text;
    }
    // The radio's device goes away: the status bar says so at once, the indicator shows
    // the failure (the errors_before + 1st one) and the bell rings.
    void pull_the_adapter(int errors_before = 0) {
        const int bells = program->screen().bells();
        radio->signal(SIGUSR2);
        ASSERT_TRUE(program->wait_until([](const TerminalScreen& s) { return status_text(s) == padded(GONE_TEXT); }, 10s))
            << program->screen().dump();
        EXPECT_EQ(indicator(program->screen()).substr(0, 3), "  " + std::to_string(errors_before + 1));
        EXPECT_NE(indicator(program->screen()).substr(4, 3), "  0");
        for (int c = 1; c <= 80; ++c) EXPECT_EQ(program->screen().cell(51, c).attribute, 0x1E);
        EXPECT_GT(program->screen().bells(), bells);
        EXPECT_EQ(program->screen().row_text(1).find("Varnello Radio Setup Screen"), 19U);
    }
    void back_at_menu_without(const std::string& device) { expect_back_at_menu_without(*program, device); }
    void end() { expect_escape_ends_with_zero(*program); }

    TempDir dir;
    std::string link = dir.file("com1");
    std::unique_ptr<RadioProcess> radio;
    std::unique_ptr<PtyProcess> program;
};

TEST(TerminalDeviceGone, ShownAtOnceWithoutSpinningAndQLeavesWithThePortLetGo) {
    LinkedTerminal t;
    ASSERT_TRUE(t.started());
    const std::string device = t.radio->path();
    t.enter_terminal();
    t.program->send("a");
    ASSERT_EQ(t.radio_received_text(1), "a");
    t.pull_the_adapter();
    expect_no_spin(t.program->pid());
    // A key typed meanwhile is refused audibly and the terminal stays.
    const int bells = t.program->screen().bells();
    t.program->send("x");
    ASSERT_TRUE(t.program->wait_until([bells](const TerminalScreen& s) { return s.bells() > bells; }, 10s));
    EXPECT_EQ(status_text(t.program->screen()), padded(GONE_TEXT));
    // Seconds of failed tries to open the port again, and still the one failure shown.
    EXPECT_EQ(indicator(t.program->screen()).substr(0, 3), "  1");
    t.program->send("Q");
    t.back_at_menu_without(device);

    // The adapter plugged in again: the port is free for anyone, this program included.
    t.radio->signal(SIGUSR2);
    const std::string returned = t.radio->next_path(10s);
    ASSERT_FALSE(returned.empty());
    EXPECT_TRUE(port_is_free(returned));
    t.enter_terminal();
    t.program->send("b");
    EXPECT_EQ(t.radio_received_text(2), "ab") << "\"x\" was typed while the device was away";
    t.program->send("q");
    t.back_at_menu_without(returned);
    t.end();
}

TEST(TerminalDeviceGone, TheSamePortIsOpenedAgainWithTheSameSettingsWhenTheDeviceComesBack) {
    LinkedTerminal t({"--reappear-after", "1500"});
    ASSERT_TRUE(t.started());
    const std::string device = t.radio->path();
    t.set_baud("9600");
    t.enter_terminal();
    t.program->send("\r");  // the radio answers with its menu
    ASSERT_TRUE(t.program->wait_for_text("Enter choice: "));
    t.pull_the_adapter();
    EXPECT_EQ(descriptors_on(t.program->pid(), device), 0) << "the vanished device is still held";
    const std::string returned = t.radio->next_path(10s);
    ASSERT_FALSE(returned.empty());
    ASSERT_TRUE(t.program->wait_until([](const TerminalScreen& s) { return status_text(s) == settings_text(9600); }, 10s))
        << t.program->screen().dump();
    EXPECT_EQ(t.program->screen().row_text(1).find("Varnello Radio Setup Screen"), 19U);
    EXPECT_EQ(indicator(t.program->screen()).substr(0, 3), "  1") << "nothing more went wrong";
    // The same screen goes on: the menu from before is still there, and keys reach the
    // new device at the terminal's own speed.
    EXPECT_TRUE(t.program->screen().shows("SETUP MENU"));
    t.program->send("\r");
    const auto received = t.radio_received(2);
    ASSERT_EQ(received.size(), 2U);
    EXPECT_EQ(received[1].byte, 13);
    EXPECT_EQ(received[1].baud, 9600);
    EXPECT_EQ(descriptors_on(t.program->pid(), returned), 1);
    t.program->send("q");
    t.back_at_menu_without(returned);
    t.end();
}

TEST(TerminalDeviceGone, KeysTypedWhileTheDeviceIsAwayAreNeverSentAndComingBackIsShownEachTime) {
    LinkedTerminal t;
    ASSERT_TRUE(t.started());
    t.enter_terminal();
    std::string expected;
    for (int round = 1; round <= 2; ++round) {
        const std::string before(1, static_cast<char>('a' + round));
        t.program->send(before);
        expected += before;
        ASSERT_EQ(t.radio_received_text(expected.size()), expected);
        t.pull_the_adapter(round - 1);
        const int bells = t.program->screen().bells();
        t.program->send("xyz");
        ASSERT_TRUE(t.program->wait_until([bells](const TerminalScreen& s) { return s.bells() >= bells + 3; }, 10s));
        t.radio->signal(SIGUSR2);  // back again
        ASSERT_FALSE(t.radio->next_path(10s).empty());
        ASSERT_TRUE(t.program->wait_until([](const TerminalScreen& s) { return status_text(s) == settings_text(19200); }, 10s))
            << t.program->screen().dump();
        EXPECT_EQ(indicator(t.program->screen()).substr(0, 3), round == 1 ? "  1" : "  2");
    }
    t.program->send("e");
    expected += "e";
    // Had the refused keys been kept, they would have gone out before this one.
    EXPECT_EQ(t.radio_received_text(expected.size()), expected);
    t.program->send("q");
    ASSERT_TRUE(t.program->wait_for_text("<esc>    End program"));
    t.end();
}

// A termination signal while the terminal runs, with the device there or gone.
struct SignalCase {
    int signal_number;
    bool device_gone;
};
void PrintTo(const SignalCase& c, std::ostream* out) {
    *out << (c.signal_number == SIGTERM ? "SIGTERM" : "SIGHUP") << (c.device_gone ? ", device gone" : "");
}

class TerminalSignal : public ::testing::TestWithParam<SignalCase> {};

TEST_P(TerminalSignal, RestoresTheOperatorsTerminalAndLetsThePortGo) {
    LinkedTerminal t;
    ASSERT_TRUE(t.started());
    const std::string mode_before = t.program->terminal_mode();
    t.enter_terminal();
    t.program->send("\r");
    ASSERT_TRUE(t.program->wait_for_text("Enter choice: "));
    if (GetParam().device_gone) t.pull_the_adapter();
    t.program->signal(GetParam().signal_number);
    const auto status = t.program->wait_exit(30s);
    ASSERT_TRUE(status.has_value()) << "no end after the signal";
    EXPECT_TRUE(WIFSIGNALED(*status));
    EXPECT_EQ(WTERMSIG(*status), GetParam().signal_number);
    EXPECT_EQ(t.program->terminal_mode(), mode_before);
    EXPECT_FALSE(t.program->screen().alternate_screen());
    EXPECT_TRUE(t.program->screen().cursor_visible());
    EXPECT_TRUE(t.program->screen().auto_wrap());
    if (GetParam().device_gone) {
        t.radio->signal(SIGUSR2);
        ASSERT_FALSE(t.radio->next_path(10s).empty());
    }
    EXPECT_TRUE(port_is_free(t.link)) << "another program cannot take the port";
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminalSignal,
                         ::testing::Values(SignalCase{SIGTERM, false}, SignalCase{SIGHUP, false},
                                           SignalCase{SIGTERM, true}, SignalCase{SIGHUP, true}),
                         [](const auto& test) {
                             return std::string(test.param.signal_number == SIGTERM ? "Terminate" : "HangUp") +
                                    (test.param.device_gone ? "WhileTheDeviceIsAway" : "");
                         });

TEST(TerminalPortInUse, ASecondProgramIsToldSeventyAndTheFirstGoesOnUndisturbed) {
    LinkedTerminal first;
    ASSERT_TRUE(first.started());
    first.enter_terminal();
    first.program->send("a");
    ASSERT_EQ(first.radio_received_text(1), "a");

    auto second = PtyProcess::start({ZIZUVU_EXECUTABLE}, {"ZIZUVU_COM1=" + first.link});
    ASSERT_TRUE(second->wait_for_text("<esc>    End program"));
    second->send("2");
    ASSERT_TRUE(second->wait_until([](const TerminalScreen& s) { return indicator(s) == "  1  70   0 "; }, 10s))
        << second->screen().dump();
    // Waited for, as any port that cannot be had: the second program takes it once the first lets go.
    EXPECT_EQ(status_text(second->screen()), padded(GONE_TEXT));
    second->send("zq");
    ASSERT_TRUE(second->wait_for_text("<esc>    End program"));
    // And a download on the same port.
    second->send("1");
    second->drain_for(150ms);
    second->send("Y\r\r");
    ASSERT_TRUE(second->wait_for_text("Can't Open Com Port")) << second->screen().dump();
    EXPECT_EQ(indicator(second->screen()).substr(4, 4), " 70 ");
    ASSERT_TRUE(second->wait_for_text("<esc>    End program", 30s));
    second->send("\x1b");
    ASSERT_TRUE(second->wait_exit().has_value());

    // Nothing of it reached the first program or its radio.
    first.program->send("b");
    EXPECT_EQ(first.radio_received_text(2), "ab");
    first.program->drain_for(100ms);
    EXPECT_EQ(status_text(first.program->screen()), settings_text(19200));
    EXPECT_EQ(indicator(first.program->screen()), std::string(12, ' '));
    EXPECT_EQ(first.program->screen().bells(), 0);
    first.program->send("q");
    first.back_at_menu_without(first.radio->path());
    first.end();
}

}  // namespace
}  // namespace zizuvu
