// Downloads under faults, end to end: the radio's device going away (as a pulled USB
// adapter), termination signals in the middle of programming, and a second program on
// a port in use. Nothing may crash, hang or spin; the operator is told, and gets back
// to the menu with the usual keys; the port is let go.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "tests/support/download_rig.hpp"
#include "tests/support/fault_checks.hpp"
#include "tests/support/pty_process.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using namespace testing;

constexpr auto DOWNLOAD_LIMIT = 600s;

struct Bench {
    explicit Bench(std::vector<std::string> radio_options, bool through_link = false) {
        if (through_link) {
            link = dir.file("com1");
            radio_options.insert(radio_options.end(), {"--link", link, "--reappear-after", "300"});
        }
        radio = RadioProcess::start(dir.path(), radio_options);
        program = PtyProcess::start({ZIZUVU_EXECUTABLE}, {"ZIZUVU_COM1=" + (through_link ? link : radio->path())});
    }
    void answer(const std::string& menu_key, const std::string& answers) {
        ASSERT_TRUE(program->wait_for_text("End program"));
        program->send(menu_key);
        program->drain_for(150ms);
        program->send(answers);
    }
    // The radio's device goes away; the status row tells the operator at once.
    void pull_the_adapter() {
        radio->signal(SIGUSR2);
        ASSERT_TRUE(program->wait_until([](const TerminalScreen& s) { return indicator(s).substr(0, 3) == "  1"; }, 10s))
            << program->screen().dump();
        EXPECT_NE(indicator(program->screen()).substr(4, 3), "  0");
        EXPECT_EQ(program->screen().cell(51, 65).attribute, 0x1E);
        EXPECT_GE(program->screen().bells(), 1);
    }
    // Once programming is under way the adapter goes; the operator gets the question,
    // gives up with Escape, and comes back to the menu through the finish screen.
    void pull_while_programming_and_give_up(const std::string& device) {
        ASSERT_TRUE(program->wait_for_text("[#", DOWNLOAD_LIMIT)) << program->screen().dump();
        pull_the_adapter();
        expect_no_spin(program->pid());
        // Gone between the count of an answer and its read, the device leaves zeros to
        // compare: the comparison's question comes (shown with the failure), and Escape
        // ends the download there as well.
        if (!program->screen().shows("Continue?")) {
            program->send("x");
            ASSERT_TRUE(program->wait_until([](const TerminalScreen& s) { return s.shows("Retry?") || s.shows("Resend?"); },
                                            10s))
                << program->screen().dump();
        }
        program->send("\x1b");
        ASSERT_TRUE(program->wait_for_text("Hit any key to return to main menu")) << program->screen().dump();
        program->send("k");
        back_at_menu_without(device);
    }
    void back_at_menu_without(const std::string& device) { expect_back_at_menu_without(*program, device); }
    void end() { expect_escape_ends_with_zero(*program); }

    TempDir dir;
    std::string link;
    std::unique_ptr<RadioProcess> radio;
    std::unique_ptr<PtyProcess> program;
};

TEST(DeviceGone, WhileWaitingForTheIdentification) {
    Bench b({"--fault", "silent-identification"});
    const std::string device = b.radio->path();
    b.answer("1", "Y\r\r");
    ASSERT_TRUE(b.program->wait_for_text("Waiting for Radio ID"));
    b.pull_the_adapter();
    expect_no_spin(b.program->pid());
    b.program->send("x");
    b.back_at_menu_without(device);
    b.end();
}

TEST(DeviceGone, InTheEraseWaitOfEitherDownload) {
    for (const char* menu_key : {"1", "0"}) {
        Bench b({"--erase-ms", "600000"});
        const std::string device = b.radio->path();
        b.answer(menu_key, "Y\r\r");
        ASSERT_TRUE(b.program->wait_for_text("Waiting for erase", 20s)) << b.program->screen().dump();
        b.pull_the_adapter();
        expect_no_spin(b.program->pid());
        if (std::string(menu_key) == "1") {
            b.program->send("x");  // the newer download's erase wait leaves on Escape alone
            b.program->drain_for(300ms);
            EXPECT_FALSE(b.program->screen().shows("End program"));
            b.program->send("\x1b");
        } else {
            b.program->send("x");
        }
        b.back_at_menu_without(device);
        b.end();
    }
}

TEST(DeviceGone, InTheMiddleOfProgrammingThenARetryOnTheReturnedAdapterCompletesTheImage) {
    Bench b({"--erase-ms", "50"}, true);
    const std::string device = b.radio->path();
    b.answer("1", "Y\rY\r");
    b.pull_while_programming_and_give_up(device);
    if (::testing::Test::HasFatalFailure()) return;

    // The adapter is back (a new device at the same link): the retry programs everything.
    ASSERT_FALSE(b.radio->next_path(10s).empty());
    b.program->send("4");
    b.program->drain_for(150ms);
    b.program->send("Y\r");
    ASSERT_TRUE(b.program->wait_for_text("Hit any key to return to main menu", DOWNLOAD_LIMIT));
    b.program->send("k");
    ASSERT_TRUE(b.program->wait_for_text("End program"));
    b.end();
    b.radio->stop();
    EXPECT_EQ(dumped_memory(b.radio->dump()), image_memory());
}

// The same in the older download and in the retry of the newer one's programming.
class DeviceGoneWhileProgramming : public ::testing::TestWithParam<const char*> {};

TEST_P(DeviceGoneWhileProgramming, IsShownAndEndsThroughTheQuestionAndTheFinish) {
    Bench b({"--erase-ms", "50"});
    const std::string device = b.radio->path();
    const std::string menu_key = GetParam();
    b.answer(menu_key, menu_key == "4" ? "Y\r" : "Y\r\r");
    b.pull_while_programming_and_give_up(device);
    b.end();
}

INSTANTIATE_TEST_SUITE_P(Procedures, DeviceGoneWhileProgramming, ::testing::Values("0", "4"),
                         [](const auto& test) { return std::string(test.param[0] == '0' ? "OlderDownload" : "ProgramRetry"); });

// A termination signal in the middle of programming, or while the radio erases.
struct SignalCase {
    int signal_number;
    bool in_erase_wait;
};
void PrintTo(const SignalCase& c, std::ostream* out) {
    *out << (c.signal_number == SIGTERM ? "SIGTERM" : "SIGHUP") << (c.in_erase_wait ? " in the erase wait" : "");
}

class SignalDuringDownload : public ::testing::TestWithParam<SignalCase> {};

TEST_P(SignalDuringDownload, RestoresTheTerminalAndThePriorityAndLetsThePortGo) {
    Bench b({"--erase-ms", GetParam().in_erase_wait ? "600000" : "50"});
    const std::string mode_before = b.program->terminal_mode();
    b.answer("1", "Y\r\r");
    ASSERT_TRUE(b.program->wait_for_text(GetParam().in_erase_wait ? "Waiting for erase" : "[#", DOWNLOAD_LIMIT));
    b.program->signal(GetParam().signal_number);
    // Ended, not yet reaped: the priority it ended with can still be read.
    ASSERT_TRUE(wait_until_ended(b.program->pid(), 30s));
    EXPECT_EQ(scheduling_policy(b.program->pid()), SCHED_OTHER) << "the priority was not put back";
    const auto status = b.program->wait_exit(30s);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFSIGNALED(*status));
    EXPECT_EQ(WTERMSIG(*status), GetParam().signal_number);
    EXPECT_EQ(b.program->terminal_mode(), mode_before);
    EXPECT_FALSE(b.program->screen().alternate_screen());
    EXPECT_TRUE(b.program->screen().cursor_visible());
    EXPECT_TRUE(port_is_free(b.radio->path())) << "another program cannot take the port";
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalDuringDownload,
                         ::testing::Values(SignalCase{SIGTERM, false}, SignalCase{SIGHUP, false},
                                           SignalCase{SIGTERM, true}, SignalCase{SIGHUP, true}),
                         [](const auto& test) {
                             return std::string(test.param.signal_number == SIGTERM ? "Terminate" : "HangUp") +
                                    (test.param.in_erase_wait ? "InTheEraseWait" : "WhileProgramming");
                         });

TEST(PortInUse, ASecondProgramIsToldSeventyAndTheFirstGoesOn) {
    Bench first({"--erase-ms", "5000"});
    first.answer("1", "Y\r\r");
    ASSERT_TRUE(first.program->wait_for_text("Waiting for erase", 20s));

    auto second = PtyProcess::start({ZIZUVU_EXECUTABLE}, {"ZIZUVU_COM1=" + first.radio->path()});
    ASSERT_TRUE(second->wait_for_text("End program"));
    second->send("1");
    second->drain_for(150ms);
    second->send("Y\r\r");
    ASSERT_TRUE(second->wait_for_text("Can't Open Com Port"));
    EXPECT_EQ(indicator(second->screen()), "  1  70   0 ");
    ASSERT_TRUE(second->wait_for_text("<esc>    End program"));
    second->send("\x1b");
    ASSERT_TRUE(second->wait_exit().has_value());

    ASSERT_TRUE(first.program->wait_for_text("Hit any key to return to main menu", DOWNLOAD_LIMIT));
    EXPECT_EQ(indicator(first.program->screen()), std::string(12, ' ')) << "nothing went wrong in the first";
    first.program->send("k");
    first.end();
    first.radio->stop();
    EXPECT_EQ(dumped_memory(first.radio->dump()), image_memory());
}

}  // namespace
}  // namespace zizuvu
