// Menu choice "2" in the real executable, against zizuvu-radio in its setup menu,
// read back as the operator's terminal shows it. The radio's --inject pipe makes it
// send whatever a test needs beyond its menu text.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>

#include "tests/support/pty_process.hpp"
#include "tests/support/radio_peer.hpp"
#include "tests/support/run_command.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;

const std::string TITLE_ROW = std::string(19, ' ') + "Varnello Radio Setup Screen" + std::string(34, ' ');
const std::string STATUS_ROW = "  Com1        Baudrate =  19200   Q or q to quit" + std::string(32, ' ');

struct RadioTerminal : ::testing::Test {
    void SetUp() override { start({}); }

    void start(std::vector<std::string> radio_options) {
        radio_options.insert(radio_options.begin(), {"--inject", dir.file("inject")});
        radio = testing::RadioProcess::start(dir.path(), radio_options);
        ASSERT_NE(radio, nullptr);
        program = testing::PtyProcess::start({ZIZUVU_EXECUTABLE}, {"ZIZUVU_COM1=" + radio->path()});
        ASSERT_NE(program, nullptr);
        ASSERT_TRUE(program->wait_for_text("<esc>    End program"));
    }
    void enter_terminal() {
        program->send("2");
        ASSERT_TRUE(program->wait_for_text("Varnello Radio Setup Screen"));
    }
    // The radio sends these bytes, then a marker line to wait for.
    void radio_sends(std::string_view bytes) {
        const std::string marker = "end of part " + std::to_string(++parts);
        std::ofstream(dir.file("inject"), std::ios::binary) << bytes << marker << "\r\n";
        ASSERT_TRUE(program->wait_for_text(marker)) << screen().dump();
    }
    // Every byte the radio has received so far, once it has at least `count`.
    std::string radio_received(std::size_t count) {
        std::string bytes;
        for (int tries = 0; tries < 1000; ++tries) {
            bytes.clear();
            for (const auto& line : testing::read_wire_log(radio->log_path())) {
                if (!line.note && !line.sent) bytes.push_back(static_cast<char>(line.byte));
            }
            if (bytes.size() >= count) break;
            usleep(10000);
        }
        return bytes;
    }
    int row_of(std::string_view text) const {
        for (int r = 1; r <= 51; ++r) {
            if (screen().row_text(r).find(text) != std::string::npos) return r;
        }
        return 0;
    }
    const testing::TerminalScreen& screen() const { return program->screen(); }

    testing::TempDir dir;
    std::unique_ptr<testing::RadioProcess> radio;
    std::unique_ptr<testing::PtyProcess> program;
    int parts = 0;
};

TEST_F(RadioTerminal, BarsCellByCellAndTheRadiosMenuOneLinePerRow) {
    enter_terminal();
    program->drain_for(50ms);
    EXPECT_EQ(screen().row_text(1), TITLE_ROW);
    EXPECT_EQ(screen().row_text(51), STATUS_ROW);
    for (int c = 1; c <= 80; ++c) {
        EXPECT_EQ(screen().cell(1, c).attribute, 0x1E);
        EXPECT_EQ(screen().cell(51, c).attribute, 0x1E);
        EXPECT_EQ(screen().cell(2, c).attribute, 0x0F);
    }
    EXPECT_EQ(screen().cursor_row(), 2);
    EXPECT_EQ(screen().cursor_column(), 1);

    program->send("\r");  // the radio answers with its menu, lines ended by CR LF
    ASSERT_TRUE(program->wait_for_text("Enter choice: "));
    program->drain_for(50ms);
    EXPECT_EQ(screen().row_text(2).find_first_not_of(' '), std::string::npos);
    EXPECT_EQ(screen().row_text(3).rfind("Varnello 900 MHz radio modem   firmware X.72   serial 123456  ", 0), 0U);
    EXPECT_EQ(screen().row_text(5).rfind("SETUP MENU  ", 0), 0U);
    EXPECT_EQ(screen().row_text(6).rfind("  1  Data port baud rate ......... 38400  ", 0), 0U);
    EXPECT_EQ(screen().row_text(11).rfind("  6  Radio name .................. (none)  ", 0), 0U);
    EXPECT_EQ(screen().row_text(14).rfind("Enter choice:   ", 0), 0U);
    EXPECT_EQ(screen().cursor_row(), 14);
    EXPECT_EQ(screen().cursor_column(), 15);
    EXPECT_EQ(screen().foreign_sequences(), 0) << screen().last_foreign();
}

TEST_F(RadioTerminal, LongLinesWrapAndTheTextAreaScrollsUnderFixedBars) {
    enter_terminal();
    program->send("6");
    ASSERT_TRUE(program->wait_for_text("Esc to cancel): "));
    program->send(std::string(100, 'N') + "\r");  // the menu then shows a 135-character line
    ASSERT_TRUE(program->wait_for_text("Radio name .................. NNNN"));
    program->drain_for(50ms);
    const int named = row_of("Radio name .......");
    EXPECT_EQ(screen().row_text(named).substr(35), std::string(45, 'N'));
    EXPECT_EQ(screen().row_text(named + 1), std::string(55, 'N') + std::string(25, ' '));

    std::string lines;
    for (int n = 10; n < 70; ++n) lines += "line " + std::to_string(n) + "\r\n";
    radio_sends(lines);
    // The last line ended on row 50: each line since scrolled rows 2 to 50 up by one.
    EXPECT_EQ(screen().row_text(49).rfind("end of part 1  ", 0), 0U);
    EXPECT_EQ(screen().row_text(48).rfind("line 69  ", 0), 0U);
    EXPECT_EQ(screen().row_text(2).rfind("line 23  ", 0), 0U);
    EXPECT_EQ(screen().row_text(50), std::string(80, ' '));
    EXPECT_EQ(screen().cursor_row(), 50);
    EXPECT_EQ(screen().cursor_column(), 1);
    // Text reaching column 80 of row 50 scrolls too, and goes on at row 50, column 1.
    radio_sends(std::string(85, 'w'));
    EXPECT_EQ(screen().row_text(48), std::string(80, 'w'));
    EXPECT_EQ(screen().row_text(49).rfind("wwwwwend of part 2  ", 0), 0U);
    EXPECT_EQ(screen().row_text(1), TITLE_ROW);
    EXPECT_EQ(screen().row_text(51), STATUS_ROW);
    EXPECT_EQ(screen().cell(51, 80).attribute, 0x1E);
    EXPECT_EQ(screen().foreign_sequences(), 0) << screen().last_foreign();
}

TEST_F(RadioTerminal, OnlyCarriageReturnBreaksALineAndBytesBelow21ShowNothing) {
    enter_terminal();
    std::string controls;
    for (int byte = 0; byte <= 20; ++byte) {
        if (byte != 13) controls.push_back(static_cast<char>(byte));
    }
    radio_sends("A" + controls + "B\x15" "C\r\none\ntwo");
    const int row = row_of("one");
    ASSERT_GT(row, 0);
    EXPECT_EQ(screen().row_text(row - 1).rfind("AB\x15" "C  ", 0), 0U);
    EXPECT_EQ(screen().row_text(row).rfind("onetwoend of part 1  ", 0), 0U);
    EXPECT_EQ(screen().bells(), 0);  // the radio's bell byte is dropped, not rung
    EXPECT_EQ(screen().foreign_sequences(), 0) << screen().last_foreign();
}

TEST_F(RadioTerminal, EscapeSequencesFromTheRadioShowAsGlyphsAndNeverReachTheOperatorsTerminal) {
    enter_terminal();
    const std::string hostile =
        "\x1b]0;window title\x07"  // window title
        "\x1b[2J\x1b[H"             // clear screen, cursor home
        "\x1b" "c"                  // full reset
        "\x1b]52;c;aGVsbG8=\x07"    // clipboard write
        "\x1b[?1049l";              // leave the alternate screen
    radio_sends(hostile + "\r\n");
    std::string shown;
    for (char c : hostile) {
        if (c != '\x07') shown.push_back(c);
    }
    EXPECT_EQ(screen().row_text(2).rfind(shown, 0), 0U) << screen().dump();
    EXPECT_EQ(screen().foreign_sequences(), 0) << screen().last_foreign();
    EXPECT_EQ(screen().bells(), 0);
    EXPECT_TRUE(screen().alternate_screen());
    EXPECT_EQ(screen().row_text(1), TITLE_ROW);
    EXPECT_EQ(screen().row_text(51), STATUS_ROW);
}

TEST_F(RadioTerminal, KeysReachTheRadioAsBytesAndQLeavesUnsent) {
    enter_terminal();
    const std::vector<std::pair<std::string, std::string>> keys = {
        {"a", "a"},         {"Z", "Z"},        {"\r", "\r"}, {"\x1b", "\x1b"},  // Enter 13, Escape 27
        {"\x03", "\x03"},                                                       // Ctrl+C
        {"\x1bOP", "\xff"}, {"\x1bOQ", std::string("\0\x3c", 2)},              // F1, F2
        {"\x1b[A", std::string("\0\x48", 2)},                                   // Up
    };
    std::string expected;
    for (const auto& [typed, sent] : keys) {
        program->send(typed);
        expected += sent;
        ASSERT_EQ(radio_received(expected.size()), expected);
    }
    program->send("q");
    ASSERT_TRUE(program->wait_for_text("<esc>    End program"));
    enter_terminal();
    program->send("Q");
    ASSERT_TRUE(program->wait_for_text("<esc>    End program"));
    program->send("2x");
    ASSERT_EQ(radio_received(expected.size() + 1), expected + "x");
}

TEST_F(RadioTerminal, ATerminationSignalEndsItWithoutSendingAnythingMore) {
    enter_terminal();
    program->send("a");
    ASSERT_EQ(radio_received(1), "a");
    program->signal(SIGTERM);  // from here every key poll answers Escape: none may reach the radio
    const auto status = program->wait_exit();
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFSIGNALED(*status));
    EXPECT_FALSE(program->screen().alternate_screen());
    usleep(100000);
    EXPECT_EQ(radio_received(1), "a");
}

TEST_F(RadioTerminal, PastedTextReachesASlowLineCompleteAndInOrder) {
    radio->stop();
    start({"--pace"});
    program->send("3");
    ASSERT_TRUE(program->wait_for_text("Com Port Number"));
    program->send("0\r4800\r");
    ASSERT_TRUE(program->wait_for_text("Baudrate =  4800 "));
    enter_terminal();
    program->send("6");  // the radio's name page echoes 120 characters and ignores the rest
    ASSERT_TRUE(program->wait_for_text("Esc to cancel): "));
    std::string pasted;
    for (int i = 0; i < 900; ++i) pasted.push_back(static_cast<char>('A' + i % 16));
    program->send(pasted);
    EXPECT_EQ(radio_received(901), "6" + pasted);
    ASSERT_TRUE(program->wait_for_text(pasted.substr(0, 40)));
    for (const auto& line : testing::read_wire_log(radio->log_path())) {
        if (!line.note) {
            EXPECT_EQ(line.baud, 4800);
        }
    }
}

}  // namespace
}  // namespace zizuvu
