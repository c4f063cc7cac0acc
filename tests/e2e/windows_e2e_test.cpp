// The Windows executable under wine, in tmux at 80 x 51: the same menu as the Linux
// program cell by cell, a whole download into the simulated radio, the setup terminal
// both ways, and Escape ending with exit code 0. Run by tools/windows-test, which
// names the executable in ZIZUVU_WINDOWS_EXE; without it there is nothing to test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "download/radio_codes.hpp"
#include "download/radio_protocol.hpp"
#include "tests/support/download_rig.hpp"
#include "tests/support/pty_process.hpp"
#include "tests/support/wine_program.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using namespace testing;

constexpr auto DOWNLOAD_LIMIT = 900s;

// The cells where the menu as specified differs from the Linux program's; the bench
// panel below it (rows 45 to 50) knows less about ports under Windows and is left out.
std::vector<std::string> menu_differences(const TerminalScreen& shown, const TerminalScreen& expected) {
    std::vector<std::string> found;
    for (int r = 1; r <= 51; ++r) {
        if (r >= 45 && r <= 50) continue;
        for (int c = 1; c <= 80; ++c) {
            const ShownCell& cell = shown.cell(r, c);
            const ShownCell& want = expected.cell(r, c);
            if (cell.glyph != want.glyph || cell.attribute != want.attribute) {
                found.push_back("row " + std::to_string(r) + " column " + std::to_string(c) + ": '" +
                                static_cast<char>(cell.glyph) + "' " + std::to_string(cell.attribute) +
                                ", the Linux program shows '" + static_cast<char>(want.glyph) + "' " +
                                std::to_string(want.attribute));
            }
        }
    }
    return found;
}

struct WindowsProgram : ::testing::Test {
    void SetUp() override {
        if (!windows_build_given()) GTEST_SKIP() << "ZIZUVU_WINDOWS_EXE names no Windows executable";
    }

    void start(const std::string& com1_device = "/nonexistent/zizuvu-com1") {
        program = WineProgram::start(com1_device);
        ASSERT_NE(program, nullptr);
        ASSERT_TRUE(program->wait_for_text("<esc>    End program")) << program->screen().dump();
    }

    void end_with_escape() {
        program->send_key("Escape");
        const std::optional<int> status = program->wait_exit();
        ASSERT_TRUE(status.has_value()) << program->screen().dump();
        EXPECT_EQ(*status, 0);
    }

    std::unique_ptr<WineProgram> program;
};

TEST_F(WindowsProgram, MenuCellByCellAsTheLinuxProgramShowsItThenEscapeEndsWithZero) {
    start();
    auto linux_program = PtyProcess::start({ZIZUVU_EXECUTABLE}, {}, 51, 80);
    ASSERT_NE(linux_program, nullptr);
    ASSERT_TRUE(linux_program->wait_for_text("<esc>    End program"));
    linux_program->drain_for(100ms);
    const TerminalScreen& expected = linux_program->screen();
    // Wine's console may still be drawing the last rows: wait for them.
    program->wait_until([&expected](const TerminalScreen& s) { return menu_differences(s, expected).empty(); }, 10s);
    const TerminalScreen shown = program->screen();

    EXPECT_EQ(shown.row_text(1), std::string(12, ' ') + "ZIzuvu Revision 5.80 for 900MHz" + std::string(37, ' '));
    EXPECT_EQ(shown.row_text(15).rfind("<esc>    End program ", 0), 0U);
    EXPECT_EQ(shown.row_text(51).rfind("  Com1        Baudrate =  19200  ", 0), 0U);
    const std::vector<std::string> differences = menu_differences(shown, expected);
    EXPECT_TRUE(differences.empty()) << differences.size() << " cells differ, the first: " << differences.front();
    for (int c = 1; c <= 80; ++c) EXPECT_EQ(shown.cell(51, c).attribute, 0x1E);
    EXPECT_EQ(program->cursor_row(), 1);
    EXPECT_EQ(program->cursor_column(), 1);

    linux_program->send("\x1b");
    linux_program->wait_exit();
    end_with_escape();
}

TEST_F(WindowsProgram, KeysThatChooseNothingLeaveTheMenuAndItsLineQuestionsWork) {
    start();
    // F1 and Alt+X are two-byte keys the menu does not know: it stays.
    program->send_key("F1");
    program->send_key("M-x");
    program->send_text("3");
    ASSERT_TRUE(program->wait_for_text("Com Port Number")) << program->screen().dump();
    program->send_text("2");
    program->send_key("BSpace");
    program->send_text("4");
    program->send_key("Enter");
    ASSERT_TRUE(program->wait_for_text("Baud")) << program->screen().dump();
    program->send_text("9600");
    program->send_key("Enter");
    ASSERT_TRUE(program->wait_for_text("Com4        Baudrate =  9600")) << program->screen().dump();
    end_with_escape();
}

TEST_F(WindowsProgram, WholeDownloadIntoTheSimulatedRadio) {
    TempDir dir;
    auto radio = RadioProcess::start(dir.path(), {"--serial-number", "654321", "--erase-ms", "50"});
    ASSERT_NE(radio, nullptr);
    start(radio->path());
    program->send_text("1");
    ASSERT_TRUE(program->wait_for_text("Radio in setup? (Y,N, or Return to Quit) ")) << program->screen().dump();
    program->send_text("Y");
    program->send_key("Enter");
    ASSERT_TRUE(program->wait_for_text("High Speed Download")) << program->screen().dump();
    program->send_text("y");
    program->send_key("Enter");
    ASSERT_TRUE(program->wait_for_text("Radio Serial Number is  654321 ")) << program->screen().dump();
    ASSERT_TRUE(program->wait_for_text("Hit any key to return to main menu", DOWNLOAD_LIMIT)) << program->screen().dump();
    const TerminalScreen finished = program->screen();
    // Under wine on a busy machine the time may pass 99.99 s: the field then widens behind "%".
    EXPECT_TRUE(std::regex_match(finished.row_text(29), std::regex("Program Time is ([ 0-9]{2}|%[0-9]+)\\.[0-9]{2} S +")))
        << finished.row_text(29);
    for (int c = 1; c <= 34; ++c) EXPECT_EQ(finished.cell(30, c).attribute, 0x1E);
    program->send_text("k");
    ASSERT_TRUE(program->wait_for_text("<esc>    End program")) << program->screen().dump();
    end_with_escape();

    radio->stop();
    EXPECT_NE(radio->errors().find(" 0 violations"), std::string::npos) << radio->errors();
    EXPECT_EQ(dumped_memory(radio->dump()), image_memory());
    // Everything after the identification went at the high download speed.
    std::vector<WireLogLine> received;
    for (const WireLogLine& line : read_wire_log(radio->log_path())) {
        if (!line.note && !line.sent) received.push_back(line);
    }
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.back().baud, download_baud(SPEED_CODE_HIGH));
}

TEST_F(WindowsProgram, SetupTerminalPassesKeysAndTextBothWays) {
    TempDir dir;
    auto radio = RadioProcess::start(dir.path(), {"--inject", dir.file("inject")});
    ASSERT_NE(radio, nullptr);
    start(radio->path());
    program->send_text("2");
    // The title row may reach the window before the bottom bar does: wait for both bars.
    ASSERT_TRUE(program->wait_until([](const TerminalScreen& s) {
        if (!s.shows("Varnello Radio Setup Screen")) return false;
        if (s.row_text(51).rfind("  Com1        Baudrate =  19200   Q or q to quit", 0) != 0) return false;
        for (int c = 1; c <= 80; ++c) {
            if (s.cell(1, c).attribute != 0x1E || s.cell(51, c).attribute != 0x1E) return false;
        }
        return true;
    }, 30s)) << program->screen().dump();

    // Enter goes to the radio, which answers with its menu.
    program->send_key("Enter");
    ASSERT_TRUE(program->wait_for_text("Enter choice: ")) << program->screen().dump();
    const TerminalScreen menu = program->screen();
    EXPECT_EQ(menu.row_text(3).rfind("Varnello 900 MHz radio modem   firmware X.72   serial 123456  ", 0), 0U);
    EXPECT_EQ(menu.row_text(6).rfind("  1  Data port baud rate ......... 38400  ", 0), 0U);
    EXPECT_EQ(program->cursor_row(), 14);
    EXPECT_EQ(program->cursor_column(), 15);
    // Typed text reaches the radio: it takes the name as typed and shows it back.
    program->send_text("6");
    ASSERT_TRUE(program->wait_for_text("Esc to cancel): ")) << program->screen().dump();
    program->send_text("Bench 7");
    program->send_key("Enter");
    ASSERT_TRUE(program->wait_for_text("Radio name .................. Bench 7")) << program->screen().dump();

    // The radio's text fills the area under the title and scrolls it, the bars staying.
    std::string lines;
    for (int n = 10; n < 70; ++n) lines += "line " + std::to_string(n) + "\r\n";
    write_file(dir.file("inject"), lines + "end of part 1\r\n");
    // Wine's console redraws the window a piece at a time: wait for the last piece.
    ASSERT_TRUE(program->wait_until(
        [](const TerminalScreen& s) {
            return s.row_text(49).rfind("end of part 1  ", 0) == 0 && s.row_text(2).rfind("line 23  ", 0) == 0;
        },
        30s))
        << program->screen().dump();
    const TerminalScreen scrolled = program->screen();
    EXPECT_EQ(scrolled.row_text(49).rfind("end of part 1  ", 0), 0U);
    EXPECT_EQ(scrolled.row_text(48).rfind("line 69  ", 0), 0U);
    EXPECT_EQ(scrolled.row_text(2).rfind("line 23  ", 0), 0U);
    EXPECT_EQ(scrolled.row_text(50), std::string(80, ' '));
    EXPECT_EQ(scrolled.row_text(1), std::string(19, ' ') + "Varnello Radio Setup Screen" + std::string(34, ' '));
    EXPECT_EQ(scrolled.row_text(51).rfind("  Com1        Baudrate =  19200   Q or q to quit", 0), 0U);
    for (int c = 1; c <= 80; ++c) EXPECT_EQ(scrolled.cell(51, c).attribute, 0x1E);

    program->send_text("q");
    ASSERT_TRUE(program->wait_for_text("<esc>    End program")) << program->screen().dump();
    end_with_escape();
    radio->stop();
    std::string received;
    for (const WireLogLine& line : read_wire_log(radio->log_path())) {
        if (!line.note && !line.sent) received.push_back(static_cast<char>(line.byte));
    }
    // Every key went to the radio as its byte, and "q" did not.
    EXPECT_EQ(received, "\r6Bench 7\r");
}

// What the Windows build cannot do yet it says in words, before opening anything.
TEST_F(WindowsProgram, CommandsItLacksSayNotAvailable) {
    struct Lacking {
        std::vector<std::string> arguments;
        int status;
    };
    const std::vector<Lacking> lacking = {{{"flash", "--radio", "current", "--port", "Com1"}, 2},
                                          {{"--list"}, 1}};
    for (const Lacking& command : lacking) {
        std::vector<std::string> arguments = {std::string(ZIZUVU_SOURCE_DIR) + "/tools/wine-run",
                                              std::getenv("ZIZUVU_WINDOWS_EXE")};
        arguments.insert(arguments.end(), command.arguments.begin(), command.arguments.end());
        const CommandResult result = run_command(arguments);
        EXPECT_EQ(result.exit_code, command.status) << command.arguments[0] << ": " << result.err;
        EXPECT_NE(result.err.find("not available"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

}  // namespace
}  // namespace zizuvu
