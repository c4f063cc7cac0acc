// The capture of a setup-terminal session, end to end against zizuvu-radio: the file
// read back against what the operator's screen showed, with and without the time at
// each line and the keys typed, and one file for a session whose device went away
// and came back.
#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "platform/cp437.hpp"
#include "tests/support/pty_process.hpp"
#include "tests/support/radio_peer.hpp"
#include "tests/support/run_command.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using namespace testing;

constexpr int TEXT_TOP_ROW = 2;
const std::string KEY_MARK = "» ";
constexpr std::size_t STAMP_LENGTH = 20;  // "2026-12-09T10:15:02 "

// Keys typed where the cursor stood: with --capture-keys the radio's row is cut there.
struct Cut {
    int row;
    int column;
    std::string keys;  // as the capture names them
};

std::string without_trailing_blanks(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string as_utf8(const std::string& glyphs) {
    std::string text;
    for (const char glyph : glyphs) text += cp437_utf8(static_cast<std::uint8_t>(glyph));
    return text;
}

// What the capture should hold, read off the screen: each row of the text area up to
// the cursor's, its glyphs in UTF-8; with the keys, each row cut where keys were typed
// into it, the keys on a line of their own between the pieces.
std::vector<std::string> lines_shown(const TerminalScreen& screen, const std::vector<Cut>& cuts, bool keys) {
    const int last_row = screen.cursor_column() > 1 ? screen.cursor_row() : screen.cursor_row() - 1;
    std::vector<std::string> lines;
    auto cut = cuts.begin();
    for (int row = TEXT_TOP_ROW; row <= last_row; ++row) {
        const std::string glyphs = screen.row_text(row);
        std::size_t from = 0;
        for (; keys && cut != cuts.end() && cut->row == row; ++cut) {
            const auto at = static_cast<std::size_t>(cut->column - 1);
            if (at > from) lines.push_back(as_utf8(without_trailing_blanks(glyphs.substr(from, at - from))));
            lines.push_back(KEY_MARK + cut->keys);
            from = at;
        }
        // The end of a cut row ends the line its last piece began.
        const std::string rest = without_trailing_blanks(glyphs.substr(from));
        if (from == 0 || !rest.empty()) lines.push_back(as_utf8(rest));
    }
    return lines;
}

std::string local_time_now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local));
}

// The session's one capture file in the folder, named for its start and its port.
std::string capture_file(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) files.push_back(entry.path());
    if (files.size() != 1) return "";
    const std::string name = std::filesystem::path(files[0]).filename();
    return std::regex_match(name, std::regex(R"(\d{8}-\d{6}-Com1\.log)")) ? files[0] : "";
}

// The capture's lines, each without its time (checked to lie between `from` and `to`
// when there are times) and without trailing blanks.
std::vector<std::string> captured_lines(const std::string& path, bool timestamps, const std::string& from,
                                        const std::string& to) {
    std::vector<std::string> lines;
    std::istringstream text(read_file(path));
    const std::regex stamp(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d )");
    for (std::string line; std::getline(text, line);) {
        if (timestamps) {
            const std::string time = line.substr(0, STAMP_LENGTH);
            EXPECT_TRUE(std::regex_match(time, stamp) && time >= from && time <= to + " ") << line;
            line.erase(0, STAMP_LENGTH);
        }
        lines.push_back(without_trailing_blanks(line));
    }
    return lines;
}

struct CaptureCase {
    const char* what;
    bool timestamps;
    bool keys;
};

// A key, or keys typed at once, and what the radio's answer ends with.
struct Typed {
    const char* bytes;
    const char* named;
    const char* answer;
};

constexpr Typed SESSION[] = {
    {"\r", "<CR>", "Enter choice: "},              // the menu
    {"6", "6", "Esc to cancel): "},                 // the radio's name asked
    {"N", "N", "cancel): N"},                       // echoed
    {"\r", "<CR>", "Enter choice: "},               // the menu with the name
    {"\x1bOQ" "7", "<F2>7", "Enter choice: "},      // a key without a character, then a wrong choice
};

class Capture : public ::testing::TestWithParam<CaptureCase> {};

TEST_P(Capture, HoldsWhatTheScreenShowed) {
    const CaptureCase& c = GetParam();
    TempDir dir;
    auto radio = RadioProcess::start(dir.path(), {"--inject", dir.file("inject")});
    ASSERT_NE(radio, nullptr);
    std::vector<std::string> arguments = {ZIZUVU_EXECUTABLE, "--capture", dir.file("captures")};
    if (c.timestamps) arguments.emplace_back("--capture-timestamps");
    if (c.keys) arguments.emplace_back("--capture-keys");
    const std::string from = local_time_now();
    auto program = PtyProcess::start(arguments, {"ZIZUVU_COM1=" + radio->path()});
    ASSERT_TRUE(program->wait_for_text("End program"));
    program->send("2");
    ASSERT_TRUE(program->wait_for_text("Varnello Radio Setup Screen"));

    // Glyphs beyond ASCII, an escape sequence, and bytes the screen drops.
    std::ofstream(dir.file("inject"), std::ios::binary) << "caf\x82 \xB0\xB1\xDB \x1b[2J tab\tbell\x07 end\x01\r\n";
    ASSERT_TRUE(program->wait_for_text("bell end"));
    std::vector<Cut> cuts;
    for (const Typed& typed : SESSION) {
        const TerminalScreen& screen = program->screen();
        const int row = screen.cursor_row();
        const int column = screen.cursor_column();
        cuts.push_back({row, column, typed.named});
        program->send(typed.bytes);
        ASSERT_TRUE(program->wait_until(
            [&](const TerminalScreen& s) {
                return (s.cursor_row() != row || s.cursor_column() != column) &&
                       without_trailing_blanks(s.row_text(s.cursor_row())).ends_with(without_trailing_blanks(typed.answer));
            },
            10s))
            << screen.dump();
        program->drain_for(50ms);
    }
    const std::vector<std::string> shown = lines_shown(program->screen(), cuts, c.keys);
    program->send("q");
    ASSERT_TRUE(program->wait_for_text("End program"));
    program->send("\x1b");
    ASSERT_TRUE(program->wait_exit().has_value());

    const std::string path = capture_file(dir.file("captures"));
    ASSERT_FALSE(path.empty()) << "one file, named for its start and its port";
    EXPECT_EQ(captured_lines(path, c.timestamps, from, local_time_now()), shown);
}

INSTANTIATE_TEST_SUITE_P(Options, Capture,
                         ::testing::Values(CaptureCase{"Plain", false, false},
                                           CaptureCase{"WithTimestamps", true, false},
                                           CaptureCase{"WithKeys", false, true},
                                           CaptureCase{"WithTimestampsAndKeys", true, true}),
                         [](const auto& test) { return std::string(test.param.what); });

TEST(CaptureAcrossTheDeviceGone, TheSessionGoesOnInTheSameFile) {
    TempDir dir;
    const std::string link = dir.file("com1");
    auto radio = RadioProcess::start(dir.path(), {"--link", link, "--reappear-after", "1000"});
    ASSERT_NE(radio, nullptr);
    auto program = PtyProcess::start({ZIZUVU_EXECUTABLE, "--capture", dir.file("captures")}, {"ZIZUVU_COM1=" + link});
    ASSERT_TRUE(program->wait_for_text("End program"));
    program->send("2");
    ASSERT_TRUE(program->wait_for_text("Varnello Radio Setup Screen"));
    program->send("\r");
    ASSERT_TRUE(program->wait_for_text("Enter choice: "));
    radio->signal(SIGUSR2);
    ASSERT_TRUE(program->wait_for_text("not available - waiting for it", 10s));
    ASSERT_FALSE(radio->next_path(10s).empty());
    ASSERT_TRUE(program->wait_for_text("Baudrate =  19200", 10s)) << program->screen().dump();
    program->send("6");
    ASSERT_TRUE(program->wait_for_text("Esc to cancel): "));
    program->drain_for(50ms);
    const std::vector<std::string> shown = lines_shown(program->screen(), {}, false);
    program->send("q");
    ASSERT_TRUE(program->wait_for_text("End program"));
    program->send("\x1b");
    ASSERT_TRUE(program->wait_exit().has_value());

    const std::string path = capture_file(dir.file("captures"));
    ASSERT_FALSE(path.empty()) << "one file for the whole session";
    EXPECT_EQ(captured_lines(path, false, "", ""), shown);
}

}  // namespace
}  // namespace zizuvu
