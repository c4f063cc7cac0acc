// Whole downloads: the real executable on a pseudo-terminal, the simulated radio
// on Com1, and the radio's memory compared with the image afterwards.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "download/radio_codes.hpp"
#include "download/radio_protocol.hpp"
#include "tests/support/download_rig.hpp"
#include "tests/support/pty_process.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using namespace testing;

constexpr auto DOWNLOAD_LIMIT = 600s;

struct Bench {
    explicit Bench(const std::vector<std::string>& radio_options)
        : radio(RadioProcess::start(dir.path(), radio_options)),
          program(PtyProcess::start({ZIZUVU_EXECUTABLE}, {"ZIZUVU_COM1=" + radio->path()})) {}

    void choose(const std::string& keys_after_menu) {
        ASSERT_TRUE(program->wait_for_text("End program"));
        program->send(keys_after_menu);
    }
    // Waits for the finish screen, checks it, and goes back to the menu.
    void expect_finish_and_return() {
        ASSERT_TRUE(program->wait_for_text("Hit any key to return to main menu", DOWNLOAD_LIMIT)) << program->screen().dump();
        program->drain_for(50ms);
        const auto& screen = program->screen();
        EXPECT_EQ(screen.row_text(29).substr(0, 16), "Program Time is ");
        EXPECT_EQ(screen.row_text(29).substr(21, 2), " S");
        EXPECT_EQ(screen.row_text(30).substr(0, 34), "Hit any key to return to main menu");
        for (int c = 1; c <= 34; ++c) EXPECT_EQ(screen.cell(30, c).attribute, 0x1E);
        program->send("k");
        ASSERT_TRUE(program->wait_for_text("<esc>    End program"));
    }
    void end() {
        program->send("\x1b");
        const auto status = program->wait_exit();
        ASSERT_TRUE(status.has_value());
        EXPECT_EQ(WEXITSTATUS(*status), 0);
        radio->stop();
        EXPECT_NE(radio->errors().find(" 0 violations"), std::string::npos) << radio->errors();
    }

    TempDir dir;
    std::unique_ptr<RadioProcess> radio;
    std::unique_ptr<PtyProcess> program;
};

std::vector<WireLogLine> received_lines(const RadioProcess& radio) {
    std::vector<WireLogLine> lines;
    for (const WireLogLine& line : read_wire_log(radio.log_path())) {
        if (!line.note && !line.sent) lines.push_back(line);
    }
    return lines;
}

class CurrentDownload : public ::testing::TestWithParam<bool> {};

TEST_P(CurrentDownload, WholeImageAtEachSpeed) {
    const bool high_speed = GetParam();
    Bench bench({"--serial-number", "654321", "--erase-ms", "50"});
    bench.choose("1");
    ASSERT_TRUE(bench.program->wait_for_text("Radio in setup? (Y,N, or Return to Quit) "));
    bench.program->send("Y\r");
    ASSERT_TRUE(bench.program->wait_for_text("High Speed Download"));
    bench.program->send(high_speed ? "y\r" : "\r");
    ASSERT_TRUE(bench.program->wait_for_text("Radio Serial Number is  654321 "));
    bench.expect_finish_and_return();
    bench.end();
    EXPECT_EQ(dumped_memory(bench.radio->dump()), image_memory());
    // Everything after the identification went at the download speed.
    const int speed = download_baud(high_speed ? SPEED_CODE_HIGH : SPEED_CODE_NORMAL);
    const auto lines = received_lines(*bench.radio);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().baud, speed);
}

INSTANTIATE_TEST_SUITE_P(Speeds, CurrentDownload, ::testing::Values(false, true),
                         [](const auto& test) { return test.param ? "HighSpeed" : "NormalSpeed"; });

struct OlderCase {
    const char* version_answer;
    bool high_speed;
};

class OlderDownload : public ::testing::TestWithParam<OlderCase> {};

TEST_P(OlderDownload, WholeImageWithTheEntrySequenceAndItsPauses) {
    const OlderCase c = GetParam();
    const bool newer_firmware = std::string(c.version_answer) == "Y";
    Bench bench({"--erase-ms", "50", "--generation", newer_firmware ? "x71" : "older"});
    bench.choose("0");
    ASSERT_TRUE(bench.program->wait_for_text("(Y,N, or Return to Quit) "));
    bench.program->send(std::string(c.version_answer) + "\r");
    ASSERT_TRUE(bench.program->wait_for_text("High Speed Download"));
    bench.program->send(c.high_speed ? "Y\r" : "n\r");
    bench.expect_finish_and_return();
    bench.end();
    EXPECT_EQ(dumped_memory(bench.radio->dump()), image_memory());

    const auto lines = received_lines(*bench.radio);
    std::vector<std::uint8_t> entry = {OLDER_ENTRY_BAUD_PAGE, c.high_speed ? OLDER_SPEED_DIGIT_HIGH : OLDER_SPEED_DIGIT_NORMAL,
                                       OLDER_ENTRY_BACK, ENTRY_SERVICE_PAGE};
    const DownloadCode code = newer_firmware ? x71_code() : x71_code_before_545();
    for (int i = 0; i < code.length; ++i) entry.push_back(code.bytes[static_cast<std::size_t>(i)]);
    ASSERT_GE(lines.size(), entry.size());
    for (std::size_t i = 0; i < entry.size(); ++i) {
        EXPECT_EQ(lines[i].byte, entry[i]) << "entry byte " << i;
        EXPECT_EQ(lines[i].baud, HANDSHAKE_BAUD) << "entry byte " << i;
    }
    // The radio's menu needs its time: half a second after each of the first four,
    // 50 ms between the characters of the longer code. The radio notes a byte when it
    // reads it, and a busy machine can read one byte late and the next on time, so the
    // gaps are checked with room for that: a missing pause still shows.
    for (std::size_t i = 1; i < entry.size(); ++i) {
        const auto gap = lines[i].microseconds - lines[i - 1].microseconds;
        EXPECT_GE(gap, i < 5 ? 400000 : 30000) << "before entry byte " << i;
    }
    EXPECT_EQ(lines.back().baud, download_baud(c.high_speed ? SPEED_CODE_HIGH : SPEED_CODE_NORMAL));
}

INSTANTIATE_TEST_SUITE_P(Answers, OlderDownload,
                         ::testing::Values(OlderCase{"Y", true}, OlderCase{"Y", false}, OlderCase{"N", true},
                                           OlderCase{"N", false}),
                         [](const auto& test) {
                             return std::string(test.param.version_answer[0] == 'Y' ? "Firmware545" : "OlderFirmware") +
                                    (test.param.high_speed ? "HighSpeed" : "NormalSpeed");
                         });

TEST(ProgramRetry, CompletesAnInterruptedDownloadFromRecordZero) {
    Bench bench({"--erase-ms", "50"});
    bench.choose("1");
    ASSERT_TRUE(bench.program->wait_for_text("Radio in setup?"));
    bench.program->send("Y\r");
    ASSERT_TRUE(bench.program->wait_for_text("High Speed Download"));
    bench.program->send("Y\r");
    // Interrupted a little way in. An Escape that lands in the wait for an
    // acknowledgement only raises the question there; a second one ends it.
    ASSERT_TRUE(bench.program->wait_for_text("[#", DOWNLOAD_LIMIT));
    bench.program->send("\x1b");
    ASSERT_TRUE(bench.program->wait_until(
        [](const TerminalScreen& s) { return s.shows("Hit any key") || s.shows("Resend? (<esc> to quit)"); }, 60s));
    if (!bench.program->screen().shows("Hit any key")) bench.program->send("\x1b");
    bench.expect_finish_and_return();

    bench.program->send("4");
    ASSERT_TRUE(bench.program->wait_for_text("High Speed Download"));
    EXPECT_FALSE(bench.program->screen().shows("Radio in setup?"));
    bench.program->send("Y\r");
    ASSERT_TRUE(bench.program->wait_for_text("Starting Download"));
    EXPECT_EQ(bench.program->screen().row_text(10).substr(0, 17), "Starting Download");
    bench.expect_finish_and_return();
    bench.end();
    EXPECT_EQ(dumped_memory(bench.radio->dump()), image_memory());
}

}  // namespace
}  // namespace zizuvu
