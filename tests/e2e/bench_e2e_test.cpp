// The bench's additions, end to end: a firmware image chosen at run time, its identity
// on the bench panel and in the verdict of a download, the verdict in its three forms,
// and the refusals of bad input before the program takes the terminal.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "download/intel_hex.hpp"
#include "download/table_walk.hpp"
#include "tests/support/download_rig.hpp"
#include "tests/support/pty_pair.hpp"
#include "tests/support/pty_process.hpp"
#include "tests/support/run_command.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using namespace testing;

constexpr auto DOWNLOAD_LIMIT = 600s;
constexpr std::uint8_t VARIANT_MASK = 0x5A;

// The built-in image with every data byte changed: the same records, the same walk.
// Returns the bytes a download sends, in the order it sends them.
std::vector<std::uint8_t> write_variant_image(const std::string& path) {
    std::string hex;
    std::vector<std::uint8_t> sent;
    RecordBuffer record;
    TableWalk walk;
    start_walk(walk, firmware_image(), record);
    for (RecordStep step; (step = next_record(walk)) != RecordStep::end_of_table;) {
        std::vector<std::uint8_t> data(record.bytes.begin() + 4, record.bytes.begin() + 4 + record.byte_count());
        for (std::uint8_t& byte : data) byte ^= VARIANT_MASK;
        hex += intel_hex_data_line(record.load_address(), data.data(), static_cast<int>(data.size())) + "\n";
        if (step == RecordStep::sent) sent.insert(sent.end(), data.begin(), data.end());
    }
    write_file(path, hex + std::string(INTEL_HEX_END_LINE) + "\n");
    return sent;
}

// What zlib makes of the bytes, as an independent check of the program's CRC-32.
std::string zlib_crc32(const TempDir& dir, const std::vector<std::uint8_t>& bytes) {
    write_file(dir.file("sent.bin"), std::string(bytes.begin(), bytes.end()));
    const CommandResult python = run_command(
        {"/usr/bin/python3", "-c", "import sys, zlib; print('%08X' % zlib.crc32(open(sys.argv[1], 'rb').read()))",
         dir.file("sent.bin")});
    return python.out.substr(0, 8);
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(ImageAtRunTime, ASecondImageGoesInWholeAndItsIdentityShowsOnThePanelAndInTheVerdict) {
    TempDir dir;
    const std::string image = dir.file("variant.hex");
    const std::vector<std::uint8_t> sent = write_variant_image(image);
    const std::string crc = zlib_crc32(dir, sent);
    ASSERT_EQ(crc.size(), 8U);

    const CommandResult check = run_command({ZIZUVU_EXECUTABLE, "--image", image, "--check"});
    EXPECT_EQ(check.exit_code, 0);
    EXPECT_NE(check.out.find("image    variant.hex\n"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("bytes    " + std::to_string(sent.size()) + " "), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("crc32    " + lowered(crc) + "\n"), std::string::npos) << check.out;

    auto radio = RadioProcess::start(dir.path(), {"--erase-ms", "20"});
    auto program = PtyProcess::start({ZIZUVU_EXECUTABLE, "--image", image}, {"ZIZUVU_COM1=" + radio->path()});
    ASSERT_TRUE(program->wait_for_text("End program"));
    program->drain_for(100ms);  // the panel comes after the menu
    const std::string identity = "variant.hex  3016 records  " + std::to_string(sent.size()) + " bytes  CRC-32 " + crc;
    EXPECT_EQ(program->screen().row_text(45).rfind("Image   " + identity, 0), 0U) << program->screen().dump();
    EXPECT_EQ(program->screen().cell(45, 1).attribute, 0x07);
    EXPECT_EQ(program->screen().row_text(46).rfind("Port    Com1 = " + radio->path() + "  present", 0), 0U);
    EXPECT_EQ(program->screen().cell(46, 1).attribute, 0x0A);
    program->send("1");
    program->drain_for(150ms);
    program->send("Y\r\r");
    ASSERT_TRUE(program->wait_for_text("Hit any key to return to main menu", DOWNLOAD_LIMIT)) << program->screen().dump();
    program->drain_for(50ms);
    const std::string verdict =
        "Complete: " + std::to_string(sent.size()) + " bytes sent and acknowledged, image CRC-32 " + crc;
    EXPECT_EQ(program->screen().row_text(27).rfind(verdict + "  ", 0), 0U) << program->screen().dump();
    EXPECT_EQ(program->screen().cell(27, 1).attribute, 0x0A);
    program->send("k\x1b");
    ASSERT_TRUE(program->wait_exit().has_value());
    radio->stop();
    Memory expected = image_memory();
    for (auto& [address, byte] : expected) byte ^= VARIANT_MASK;
    EXPECT_EQ(dumped_memory(radio->dump()), expected);
}

TEST(BenchPanel, NamesThePortsStateAndTheLastErrorInWords) {
    const CommandResult listed = run_command({ZIZUVU_EXECUTABLE, "--com", "3=/nonexistent/zizuvu-panel-com3", "--list"});
    EXPECT_EQ(listed.exit_code, 0);
    EXPECT_NE(listed.out.find("Com3  /nonexistent/zizuvu-panel-com3  missing"), std::string::npos) << listed.out;

    // A port nobody plugged in: missing, in red, with the fix below it.
    auto lone = PtyProcess::start({ZIZUVU_EXECUTABLE});
    ASSERT_TRUE(lone->wait_for_text("End program"));
    lone->drain_for(100ms);
    EXPECT_EQ(lone->screen().row_text(46).rfind("Port    Com1 = /nonexistent/zizuvu-test-com1  missing", 0), 0U)
        << lone->screen().dump();
    EXPECT_EQ(lone->screen().cell(46, 1).attribute, 0x0C);
    EXPECT_EQ(lone->screen().row_text(47).rfind("no device at /nonexistent/zizuvu-test-com1: plugged in?", 0), 0U);
    lone->send("\x1b");
    ASSERT_TRUE(lone->wait_exit().has_value());

    // A port another program holds: its name and PID, and after a try the error in words.
    PtyPair line;
    ASSERT_TRUE(line.ok());
    auto first = PtyProcess::start({ZIZUVU_EXECUTABLE}, {"ZIZUVU_COM1=" + line.port_path()});
    ASSERT_TRUE(first->wait_for_text("End program"));
    first->send("2");
    ASSERT_TRUE(first->wait_for_text("Varnello Radio Setup Screen"));
    auto second = PtyProcess::start({ZIZUVU_EXECUTABLE}, {"ZIZUVU_COM1=" + line.port_path()});
    ASSERT_TRUE(second->wait_for_text("End program"));
    second->drain_for(100ms);
    const std::string held = "in use by zizuvu (PID " + std::to_string(first->pid()) + ")";
    EXPECT_EQ(second->screen().row_text(46).rfind("Port    Com1 = " + line.port_path() + "  " + held, 0), 0U)
        << second->screen().dump();
    EXPECT_EQ(second->screen().cell(46, 1).attribute, 0x0C);
    second->send("2");
    ASSERT_TRUE(second->wait_for_text(" 70   0 "));
    second->send("q");
    ASSERT_TRUE(second->wait_for_text("End program"));
    second->drain_for(100ms);
    EXPECT_EQ(second->screen().row_text(47).rfind("70: " + held, 0), 0U) << second->screen().dump();
    second->send("\x1b");
    first->send("q\x1b");
    EXPECT_TRUE(second->wait_exit().has_value());
    EXPECT_TRUE(first->wait_exit().has_value());
}

// The newest download record, as --history prints it in JSON Lines and in CSV, both
// read back with Python's own json and csv: "outcome|verdict|serial|crc|acknowledged|
// questions|passed over|rows".
std::string newest_record(const TempDir& dir, const std::string& records) {
    const CommandResult json = run_command({ZIZUVU_EXECUTABLE, "--history", "--json", "--records", records});
    const CommandResult csv = run_command({ZIZUVU_EXECUTABLE, "--history", "--csv", "--records", records});
    if (json.exit_code != 0 || csv.exit_code != 0) return "history failed: " + json.err + csv.err;
    write_file(dir.file("history.json"), json.out);
    write_file(dir.file("history.csv"), csv.out);
    const char* script =
        "import csv, json, sys\n"
        "rows = [json.loads(line) for line in open(sys.argv[1]) if line.strip()]\n"
        "table = list(csv.DictReader(open(sys.argv[2], newline='')))\n"
        "assert len(rows) == len(table), (len(rows), len(table))\n"
        "assert table[0]['outcome'] == rows[0]['outcome'] and table[0]['verdict'] == rows[0]['verdict']\n"
        "r = rows[0]\n"
        "print('|'.join(str(x) for x in [r['outcome'], r['verdict'], r['radio_serial'], r['image_crc32'],\n"
        "    r['bytes_acknowledged'], json.dumps(r['questions'], sort_keys=True), len(r['passed_over_addresses']),\n"
        "    len(rows)]))\n";
    const CommandResult python =
        run_command({"/usr/bin/python3", "-c", script, dir.file("history.json"), dir.file("history.csv")});
    return python.exit_code == 0 ? python.out.substr(0, python.out.find('\n')) : "python: " + python.err;
}

struct VerdictCase {
    const char* what;
    std::vector<std::string> radio_options;
    const char* menu_key;
    const char* answers;
    const char* question;  // shown when the fault comes; empty for none
    const char* keys;      // typed at it
    std::string verdict;   // how the verdict begins
    std::uint8_t attribute;
    std::string record;    // the outcome the record gives
};

class Verdict : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(Verdict, SaysWhatIsTrueInItsColourAndIsRecorded) {
    const VerdictCase& c = GetParam();
    TempDir dir;
    auto radio = RadioProcess::start(dir.path(), c.radio_options);
    const std::string records = dir.file("records.sqlite3");
    auto program =
        PtyProcess::start({ZIZUVU_EXECUTABLE, "--records", records}, {"ZIZUVU_COM1=" + radio->path()});
    ASSERT_TRUE(program->wait_for_text("End program"));
    program->send(c.menu_key);
    program->drain_for(150ms);
    program->send(c.answers);
    if (*c.question != '\0') {
        ASSERT_TRUE(program->wait_for_text("Starting Download", 60s)) << program->screen().dump();
        // A stalled radio is noticed when the operator presses a key, as at the bench.
        if (std::string(c.question).find("Response") != std::string::npos) {
            program->drain_for(500ms);
            program->send("k");
        }
        ASSERT_TRUE(program->wait_for_text(c.question, DOWNLOAD_LIMIT)) << program->screen().dump();
        program->send(c.keys);
    }
    ASSERT_TRUE(program->wait_for_text("Hit any key to return to main menu", DOWNLOAD_LIMIT)) << program->screen().dump();
    program->drain_for(50ms);
    // A verdict longer than a row goes on in the next, broken between words.
    std::string shown = program->screen().row_text(27);
    shown.erase(shown.find_last_not_of(' ') + 1);
    shown += " " + program->screen().row_text(28);
    EXPECT_EQ(shown.rfind(c.verdict, 0), 0U) << program->screen().dump();
    EXPECT_EQ(program->screen().cell(27, 1).attribute, c.attribute);
    EXPECT_EQ(program->screen().row_text(29).rfind("Program Time is ", 0), 0U);
    program->send("k\x1b");
    EXPECT_TRUE(program->wait_exit().has_value());
    // One row, with the verdict shown.
    const std::string record = newest_record(dir, records);
    EXPECT_EQ(record.rfind(c.record + "|", 0), 0U) << record;
    EXPECT_NE(record.find("|" + shown.substr(0, 30)), std::string::npos) << record;
    EXPECT_EQ(record.substr(record.rfind('|')), "|1") << record;
}

// Byte `data_byte` was never acknowledged: the download ended at its address.
std::string incomplete_at(long data_byte) {
    char address[8];
    std::snprintf(address, sizeof address, "0x%04X", address_of_data_byte(data_byte));
    return "INCOMPLETE: ended at address " + std::string(address) + ", " + std::to_string(data_byte) + " of ";
}

INSTANTIATE_TEST_SUITE_P(
    Downloads, Verdict,
    ::testing::Values(
        VerdictCase{"Clean", {"--erase-ms", "20", "--serial-number", "654321"}, "1", "Y\r\r", "", "",
                    "Complete: 47956 bytes sent and acknowledged", 0x0A, "complete"},
        VerdictCase{"EscapeAtAStall", radio_with({fault("no-acknowledgement", 300)}), "1", "Y\r\r",
                    "Waiting for Data  Response", "\x1b", incomplete_at(300) + "47956 bytes sent", 0x0C,
                    "ended by the operator"},
        VerdictCase{"WrongDataPassedOver", radio_with({fault("wrong-data-echo", 200)}), "0", "Y\r\r", "Bad Data!",
                    "c", "Complete, but 1 byte was passed over by the operator after a mismatch - program again",
                    0x0C, "complete with bytes passed over"},
        VerdictCase{"OlderRadio", {"--erase-ms", "20"}, "0", "N\r\r", "", "",
                    "Complete: 47956 bytes sent and acknowledged", 0x0A, "complete"},
        VerdictCase{"ProgramRetry", {"--erase-ms", "20"}, "4", "\r", "", "",
                    "Complete: 47956 bytes sent and acknowledged", 0x0A, "complete"}),
    [](const auto& test) { return std::string(test.param.what); });

}  // namespace
}  // namespace zizuvu
