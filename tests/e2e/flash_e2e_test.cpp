// Unattended flashing end to end: the real executable's `flash` command against
// several simulated radios at once, their memories and wire logs afterwards, and the
// records it leaves.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <functional>

#include "tests/support/download_rig.hpp"
#include "tests/support/pty_process.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using namespace testing;

constexpr auto FLASH_LIMIT = 300s;

// Radios each in a folder of their own under one temporary folder.
struct Radios {
    explicit Radios(const std::vector<std::vector<std::string>>& options) {
        for (std::size_t i = 0; i < options.size(); ++i) {
            const std::string folder = dir.file("radio" + std::to_string(i + 1));
            std::filesystem::create_directory(folder);
            radios.push_back(RadioProcess::start(folder, options[i]));
        }
    }
    std::vector<std::string> flash(std::vector<std::string> options) const {
        std::vector<std::string> arguments = {ZIZUVU_EXECUTABLE, "flash", "--records", records()};
        for (const auto& radio : radios) {
            arguments.push_back("--port");
            arguments.push_back(radio->path());
        }
        arguments.insert(arguments.end(), options.begin(), options.end());
        return arguments;
    }
    std::string records() const { return dir.file("records.sqlite3"); }

    TempDir dir;
    std::vector<std::unique_ptr<RadioProcess>> radios;
};

// "outcome|port|radio serial|verdict" of every row, oldest first.
std::vector<std::string> recorded_downloads(const std::string& records) {
    const CommandResult json = run_command({ZIZUVU_EXECUTABLE, "--history", "--json", "--records", records});
    EXPECT_EQ(json.exit_code, 0) << json.err;
    const char* script =
        "import json, sys\n"
        "for line in reversed([l for l in sys.stdin.read().splitlines() if l.strip()]):\n"
        "    r = json.loads(line)\n"
        "    print('|'.join(str(r[k]) for k in ('outcome', 'port_name', 'radio_serial', 'verdict')))\n";
    TempDir dir;
    write_file(dir.file("history.json"), json.out);
    const CommandResult parsed =
        run_command({"/bin/sh", "-c", "/usr/bin/python3 -c \"$0\" < \"$1\"", script, dir.file("history.json")});
    EXPECT_EQ(parsed.exit_code, 0) << parsed.err;
    std::vector<std::string> rows;
    std::size_t start = 0;
    for (std::size_t end; (end = parsed.out.find('\n', start)) != std::string::npos; start = end + 1) {
        rows.push_back(parsed.out.substr(start, end - start));
    }
    return rows;
}

// What the program sent, with the speed of each byte; the two challenge bytes, drawn
// afresh by every download, are left out.
std::vector<std::pair<int, int>> sent_by_program(const RadioProcess& radio) {
    std::vector<std::pair<int, int>> sent;
    int challenge_left = -1;
    for (const WireLogLine& line : read_wire_log(radio.log_path())) {
        if (line.note) {
            if (line.text.find("waiting for the speed code and the challenge") != std::string::npos) challenge_left = 3;
            continue;
        }
        if (line.sent) continue;
        if (challenge_left > 0 && challenge_left-- < 3) continue;
        sent.emplace_back(line.byte, line.baud);
    }
    return sent;
}

TEST(Flash, FourRadiosAtOnceGetTheInteractiveDownloadsBytesAndFourRecords) {
    const std::vector<std::string> quick = {"--erase-ms", "20"};
    std::vector<std::vector<std::string>> options;
    for (int i = 0; i < 4; ++i) options.push_back({"--erase-ms", "20", "--serial-number", std::to_string(500001 + i)});
    Radios radios(options);
    const CommandResult flashed = run_command(radios.flash({"--radio", "current", "--json"}));
    EXPECT_EQ(flashed.exit_code, 0) << flashed.out << flashed.err;
    // Standard output holds the four objects and nothing else.
    EXPECT_EQ(std::count(flashed.out.begin(), flashed.out.end(), '\n'), 4) << flashed.out;
    for (std::size_t start = 0, end; (end = flashed.out.find('\n', start)) != std::string::npos; start = end + 1) {
        EXPECT_EQ(flashed.out[start], '{');
        EXPECT_EQ(flashed.out[end - 1], '}');
    }

    // One interactive download to compare the wire with.
    TempDir alone;
    auto reference = RadioProcess::start(alone.path(), quick);
    auto program = PtyProcess::start({ZIZUVU_EXECUTABLE, "--records", alone.file("records.sqlite3")},
                                     {"ZIZUVU_COM1=" + reference->path()});
    ASSERT_TRUE(program->wait_for_text("End program"));
    program->send("1");
    ASSERT_TRUE(program->wait_for_text("Radio in setup?"));
    program->send("Y\r\r");
    ASSERT_TRUE(program->wait_for_text("Hit any key to return to main menu", FLASH_LIMIT)) << program->screen().dump();
    program->send("k\x1b");
    ASSERT_TRUE(program->wait_exit().has_value());
    reference->stop();
    const auto interactive = sent_by_program(*reference);
    ASSERT_GT(interactive.size(), 47956U * 4);

    std::vector<std::string> expected_rows;
    for (std::size_t i = 0; i < 4; ++i) {
        RadioProcess& radio = *radios.radios[i];
        const std::string path = radio.path();
        radio.stop();
        EXPECT_NE(radio.errors().find(" 0 violations"), std::string::npos) << radio.errors();
        EXPECT_EQ(dumped_memory(radio.dump()), image_memory()) << "radio " << i + 1;
        EXPECT_TRUE(sent_by_program(radio) == interactive) << "radio " << i + 1 << " heard other bytes";
        expected_rows.push_back("complete|" + path + "|" + std::to_string(500001 + i));
        EXPECT_NE(flashed.err.find(path + "  radio " + std::to_string(500001 + i) + "  Complete: 47956 bytes"),
                  std::string::npos)
            << flashed.err;
    }
    std::vector<std::string> rows = recorded_downloads(radios.records());
    ASSERT_EQ(rows.size(), 4U);
    for (std::string& row : rows) row = row.substr(0, row.rfind('|'));
    // Pseudo-terminal numbers are handed out afresh: the radios' order is not theirs.
    std::sort(rows.begin(), rows.end());
    std::sort(expected_rows.begin(), expected_rows.end());
    EXPECT_EQ(rows, expected_rows);
}

struct PortFault {
    const char* what;
    std::vector<std::string> faulty_radio;  // the second radio; the first is always sound
    std::vector<std::string> options;
    int exit_code;
    const char* outcome;   // the faulty radio's record; empty: none
    std::string verdict;   // how its summary's verdict begins
    bool memory_right;
};

std::string incomplete_at(long data_byte) {
    char address[8];
    std::snprintf(address, sizeof address, "0x%04X", address_of_data_byte(data_byte));
    return "INCOMPLETE: ended at address " + std::string(address) + ", " + std::to_string(data_byte) + " of 47956";
}

class FlashFault : public ::testing::TestWithParam<PortFault> {};

// One port's fault never touches the other's download, and the exit status says what it was.
TEST_P(FlashFault, EndsOnlyItsOwnPortWithTheRightStatusAndRecord) {
    const PortFault& c = GetParam();
    Radios radios({{"--erase-ms", "20"}, c.faulty_radio});
    std::vector<std::string> options = {"--radio", "current"};
    options.insert(options.end(), c.options.begin(), c.options.end());
    const CommandResult flashed = run_command(radios.flash(options));
    EXPECT_EQ(flashed.exit_code, c.exit_code) << flashed.out << flashed.err;

    const std::string sound = radios.radios[0]->path();
    const std::string faulty = radios.radios[1]->path();
    EXPECT_NE(flashed.out.find(sound + "  radio 123456  Complete: 47956 bytes"), std::string::npos) << flashed.out;
    EXPECT_NE(flashed.out.find(faulty + "  radio "), std::string::npos) << flashed.out;
    EXPECT_NE(flashed.out.find(c.verdict, flashed.out.find(faulty + "  radio ")), std::string::npos)
        << flashed.out;
    for (auto& radio : radios.radios) radio->stop();
    EXPECT_EQ(dumped_memory(radios.radios[0]->dump()), image_memory());
    EXPECT_EQ(dumped_memory(radios.radios[1]->dump()) == image_memory(), c.memory_right);

    const std::vector<std::string> rows = recorded_downloads(radios.records());
    std::string faulty_row;
    for (const std::string& row : rows) {
        if (row.find("|" + faulty + "|") != std::string::npos) faulty_row = row;
    }
    EXPECT_EQ(faulty_row.substr(0, faulty_row.find('|')), c.outcome) << faulty_row;
}

INSTANTIATE_TEST_SUITE_P(
    Ports, FlashFault,
    ::testing::Values(
        PortFault{"WrongAcknowledgementOnceIsRetried", radio_with({fault("wrong-acknowledgement", 300)}), {}, 0,
                  "complete", "Complete: 47956 bytes", true},
        PortFault{"TwoStallsAtOneByteWithinThreeAttempts",
                  radio_with({fault("no-acknowledgement", 300), fault("no-acknowledgement", 300)}), {}, 0, "complete",
                  "Complete: 47956 bytes", true},
        PortFault{"TheSameByteFailingPastTheLimit",
                  radio_with({fault("no-acknowledgement", 300), fault("no-acknowledgement", 300)}),
                  {"--attempts", "2"}, 5, "attempts exhausted", incomplete_at(300), false},
        PortFault{"SilentRadio", radio_with({"silent-identification"}), {"--wait-seconds", "2"}, 4,
                  "no radio answered", "no radio answered within 2 s", false}),
    [](const auto& test) { return std::string(test.param.what); });

// Runs flash on a terminal, as a technician does, until every port is programming.
std::unique_ptr<PtyProcess> flash_until_programming(const Radios& radios) {
    auto program = PtyProcess::start(radios.flash({"--radio", "current"}));
    const PtyProcess& shown = *program;
    const bool programming = program->wait_until(
        [&](const TerminalScreen&) {
            for (const auto& radio : radios.radios) {
                const std::string line = radio->path() + "  programming  radio 123456  ";
                const std::size_t at = shown.output().rfind(line);
                if (at == std::string::npos || shown.output().compare(at + line.size(), 2, "0/") == 0) return false;
            }
            return true;
        },
        60s);
    EXPECT_TRUE(programming) << program->output();
    return program;
}

struct EndingSignal {
    const char* what;
    std::function<void(PtyProcess&)> send;
};

class FlashSignal : public ::testing::TestWithParam<EndingSignal> {};

// Every port's download ends through its finish: the radios stay as they were left,
// and every record says why.
TEST_P(FlashSignal, EndsEveryPortThroughItsFinishWithStatusSix) {
    const std::vector<std::string> paced = {"--erase-ms", "20", "--pace"};
    Radios radios({paced, paced, paced, paced});
    auto program = flash_until_programming(radios);
    GetParam().send(*program);
    const std::optional<int> status = program->wait_exit(60s);
    ASSERT_TRUE(status.has_value());
    ASSERT_TRUE(WIFEXITED(*status)) << program->output();
    EXPECT_EQ(WEXITSTATUS(*status), 6) << program->output();
    const std::vector<std::string> rows = recorded_downloads(radios.records());
    ASSERT_EQ(rows.size(), 4U);
    for (const std::string& row : rows) EXPECT_EQ(row.rfind("ended by a signal|", 0), 0U) << row;
    for (auto& radio : radios.radios) {
        radio->stop();
        EXPECT_NE(radio->errors().find(" 0 violations"), std::string::npos) << radio->errors();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Signals, FlashSignal,
    ::testing::Values(EndingSignal{"TermToTheProgram", [](PtyProcess& p) { p.signal(SIGTERM); }},
                      // The terminal's interrupt reaches every process of the run; the second does no harm.
                      EndingSignal{"InterruptTypedTwice",
                                   [](PtyProcess& p) {
                                       p.send("\x03");
                                       p.drain_for(20ms);
                                       p.send("\x03");
                                   }}),
    [](const auto& test) { return std::string(test.param.what); });

TEST(Flash, ARadioPulledMidwayFailsOnlyItsOwnPort) {
    Radios radios({{"--erase-ms", "20"}, {"--erase-ms", "20", "--pace"}});
    auto program = flash_until_programming(radios);
    const std::string pulled = radios.radios[1]->path();
    radios.radios[1]->signal(SIGUSR2);
    const std::optional<int> status = program->wait_exit(FLASH_LIMIT);
    ASSERT_TRUE(status.has_value() && WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 5) << program->output();
    const std::string shown = program->output();
    EXPECT_NE(shown.find(radios.radios[0]->path() + "  radio 123456  Complete: 47956 bytes"), std::string::npos) << shown;
    const std::size_t summary = shown.find(pulled + "  radio 123456  INCOMPLETE: ended at address");
    ASSERT_NE(summary, std::string::npos) << shown;
    const std::string line = shown.substr(summary, shown.find('\n', summary) - summary);
    EXPECT_NE(line.find("not fully programmed - no device at " + pulled + ": plugged in?"), std::string::npos) << line;
    std::vector<std::string> rows = recorded_downloads(radios.records());
    std::sort(rows.begin(), rows.end());
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[0].rfind("complete|" + radios.radios[0]->path(), 0), 0U) << rows[0];
    EXPECT_EQ(rows[1].rfind("line failure|" + pulled, 0), 0U) << rows[1];
    radios.radios[0]->stop();
    EXPECT_EQ(dumped_memory(radios.radios[0]->dump()), image_memory());
}

// Ports that cannot be opened end with 3, each saying why in words, and the radio on
// the sound port is flashed all the same.
TEST(Flash, PortsThatCannotBeOpenedFailAloneAndSayWhy) {
    Radios radios(std::vector<std::vector<std::string>>{{"--erase-ms", "20"}});
    const std::string missing = radios.dir.file("gone");
    const std::string plain = radios.dir.file("plain-file");
    write_file(plain, "");
    const CommandResult flashed = run_command(radios.flash({"--radio", "current", "--port", missing, "--port", plain}));
    EXPECT_EQ(flashed.exit_code, 3) << flashed.out << flashed.err;
    for (const std::string& line :
         {radios.radios[0]->path() + "  radio 123456  Complete: 47956 bytes",
          missing + "  radio unknown  the port could not be opened (error 53) - no device at " + missing + ": plugged in?",
          plain + "  radio unknown  the port could not be opened (error 75) - " + plain +
              " is a regular file, not a serial port: check the path"}) {
        EXPECT_NE(flashed.out.find(line), std::string::npos) << line << "\n" << flashed.out;
    }
    const std::vector<std::string> rows = recorded_downloads(radios.records());
    ASSERT_EQ(rows.size(), 1U);
    EXPECT_EQ(rows[0].rfind("complete|" + radios.radios[0]->path(), 0), 0U) << rows[0];
}

// Options that cannot be carried out are refused before any port is opened.
TEST(Flash, BadOptionsOpenNothing) {
    Radios radios(std::vector<std::vector<std::string>>{{"--erase-ms", "20"}});
    const std::string port = radios.radios[0]->path();
    const std::vector<std::vector<std::string>> refused = {
        {ZIZUVU_EXECUTABLE, "flash", "--port", port},
        {ZIZUVU_EXECUTABLE, "flash", "--radio", "current", "--attempts", "0", "--port", port},
        {ZIZUVU_EXECUTABLE, "flash", "--radio", "current", "--port", port, "--port", port},
        {ZIZUVU_EXECUTABLE, "flash", "--radio", "current", "--image", radios.dir.file("missing.hex"), "--port", port},
    };
    for (const auto& arguments : refused) {
        const CommandResult result = run_command(arguments);
        EXPECT_EQ(result.exit_code, 2) << arguments[2] << " " << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("zizuvu: ", 0), 0U) << result.err;
    }
    radios.radios[0]->stop();
    for (const WireLogLine& line : read_wire_log(radios.radios[0]->log_path())) {
        EXPECT_TRUE(line.note) << "the radio heard " << line.byte;
    }
}

}  // namespace
}  // namespace zizuvu
