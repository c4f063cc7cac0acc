// The real executable on a pseudo-terminal of 80 x 51, read back as the operator sees it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>

#include "tests/support/pty_process.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using testing::PtyProcess;

std::unique_ptr<PtyProcess> start_program(int rows = 51, int columns = 80) {
    auto program = PtyProcess::start({ZIZUVU_EXECUTABLE}, {}, rows, columns);
    EXPECT_NE(program, nullptr);
    return program;
}

TEST(MenuEndToEnd, MenuCellByCellThenEscapeRestoresTheTerminal) {
    auto program = start_program();
    const std::string mode_before = program->terminal_mode();
    ASSERT_TRUE(program->wait_for_text("<esc>    End program")) << program->screen().dump();
    program->drain_for(100ms);
    const auto& screen = program->screen();
    EXPECT_TRUE(screen.alternate_screen());
    EXPECT_EQ(screen.row_text(1), std::string(12, ' ') + "ZIzuvu Revision 5.80 for 900MHz" + std::string(37, ' '));
    auto row_starts = [&](int row, std::string_view text) { return screen.row_text(row).substr(0, text.size()) == text; };
    EXPECT_TRUE(row_starts(5, "0        Upload X.71 and older "));
    EXPECT_TRUE(row_starts(7, "1        UpLoad X.72 and newer "));
    EXPECT_TRUE(row_starts(9, "2        Radio Setup "));
    EXPECT_TRUE(row_starts(11, "3        Set Com Port for Terminal Emulator and Download "));
    EXPECT_TRUE(row_starts(13, "4        Program Retry For X.72 and newer Firmware "));
    EXPECT_TRUE(row_starts(15, "<esc>    End program "));
    EXPECT_TRUE(row_starts(51, "  Com1        Baudrate =  19200  "));
    for (int c = 1; c <= 80; ++c) {
        EXPECT_EQ(screen.cell(1, c).attribute, 0x0F);
        EXPECT_EQ(screen.cell(51, c).attribute, 0x1E);
    }
    EXPECT_EQ(screen.cursor_row(), 1);
    EXPECT_EQ(screen.cursor_column(), 1);
    EXPECT_EQ(screen.foreign_sequences(), 0) << screen.last_foreign();
    // Pseudo-terminal already at 80 x 51: nothing to ask for.
    EXPECT_TRUE(screen.size_requests().empty());

    program->send("\x1b");
    const auto status = program->wait_exit();
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    EXPECT_EQ(program->terminal_mode(), mode_before);
    EXPECT_FALSE(program->screen().alternate_screen());
    EXPECT_TRUE(program->screen().cursor_visible());
    EXPECT_TRUE(program->screen().auto_wrap());
}

TEST(MenuEndToEnd, KeysBeepAndTheSettingsChoiceRedraws) {
    auto program = start_program();
    ASSERT_TRUE(program->wait_for_text("End program"));
    program->send("5");
    ASSERT_TRUE(program->wait_until([](const auto& s) { return s.bells() == 1; }, 5s));
    program->send("\x1b[A");  // an arrow key beeps too, and is not an Escape
    ASSERT_TRUE(program->wait_until([](const auto& s) { return s.bells() == 2; }, 5s));
    program->send("3");
    ASSERT_TRUE(program->wait_for_text("Com Port Number"));
    program->send("4\r");
    ASSERT_TRUE(program->wait_for_text("Setup Baud Rate"));
    program->send("115200\r");
    ASSERT_TRUE(program->wait_for_text("  Com4        Baudrate =  115200 ")) << program->screen().dump();
    EXPECT_TRUE(program->screen().shows("0        Upload X.71 and older"));
    program->send("\x1b");
    const auto status = program->wait_exit();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(WEXITSTATUS(*status), 0);
}

class TerminationSignal : public ::testing::TestWithParam<int> {};

TEST_P(TerminationSignal, RestoresTheTerminal) {
    auto program = start_program();
    const std::string mode_before = program->terminal_mode();
    ASSERT_TRUE(program->wait_for_text("End program"));
    program->send("3");  // in the middle of a typed-line question
    ASSERT_TRUE(program->wait_for_text("Com Port Number"));
    program->signal(GetParam());
    const auto status = program->wait_exit();
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFSIGNALED(*status));
    EXPECT_EQ(WTERMSIG(*status), GetParam());
    EXPECT_EQ(program->terminal_mode(), mode_before);
    EXPECT_FALSE(program->screen().alternate_screen());
    EXPECT_TRUE(program->screen().cursor_visible());
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationSignal, ::testing::Values(SIGTERM, SIGHUP, SIGQUIT, SIGINT));

TEST(MenuEndToEnd, FatalSignalStillRestoresTheTerminalMode) {
    auto program = start_program();
    const std::string mode_before = program->terminal_mode();
    ASSERT_TRUE(program->wait_for_text("End program"));
    program->signal(SIGSEGV);
    const auto status = program->wait_exit();
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFSIGNALED(*status));
    EXPECT_EQ(program->terminal_mode(), mode_before);
    EXPECT_FALSE(program->screen().alternate_screen());
}

TEST(MenuEndToEnd, SmallTerminalAsksForTheSizeAndStaysUsable) {
    auto program = start_program(24, 60);
    ASSERT_TRUE(program->wait_for_text("  Com1"));
    program->drain_for(100ms);
    const auto& screen = program->screen();
    ASSERT_FALSE(screen.size_requests().empty());
    EXPECT_EQ(screen.size_requests().front(), "8;51;80");
    EXPECT_EQ(screen.row_text(24).substr(0, 6), "  Com1");  // the status row on the last row
    EXPECT_EQ(screen.row_text(1).substr(0, 20), std::string(12, ' ') + "ZIzuvu R");
    EXPECT_EQ(screen.cursor_row(), 1);
    program->send("\x1b");
    const auto status = program->wait_exit();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    // The size asked for is given back.
    EXPECT_EQ(program->screen().size_requests().back(), "8;24;60");
}

TEST(MenuEndToEnd, ArgumentsAreRefused) {
    auto program = PtyProcess::start({ZIZUVU_EXECUTABLE, "--bogus"});
    const auto status = program->wait_exit();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(WEXITSTATUS(*status), 2);
}

}  // namespace
}  // namespace zizuvu
