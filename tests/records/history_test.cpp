// Reading the records back: the filters, newest first, and the three layouts, the CSV
// and the JSON Lines read by Python's own csv and json modules; the program's --history
// printing what the layouts make.
#include "records/history.hpp"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sstream>

#include "records/history_format.hpp"
#include "records/record_store.hpp"
#include "tests/records/record_samples.hpp"

namespace zizuvu {
namespace {

using testing::local_time;
using testing::sample_finish;
using testing::sample_start;

class History : public testing::RecordsTest {
protected:
    void SetUp() override {
        RecordsTest::SetUp();
        opening = open_records(records_path());
        ASSERT_TRUE(opening.result) << opening.result.reason;
    }

    void add(const std::string& serial, const std::string& port, std::chrono::system_clock::time_point started) {
        DownloadStart start = sample_start(serial, port);
        start.started = started;
        const RecordsResult begun = begin_download(opening.store, start);
        DownloadFinish finish = sample_finish();
        finish.ended = started + std::chrono::seconds(70);
        ASSERT_TRUE(finish_download(opening.store, begun.id, finish));
    }

    RecordsOpening opening;
};

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(History, FiltersPickTheRowsNewestFirst) {
    add("123456", "Com1", local_time(2026, 1, 10, 9, 0));
    add("123456", "Com2", local_time(2026, 2, 1, 0, 0));
    add("777", "Com1", local_time(2026, 1, 31, 23, 59));
    add("", "Com3", local_time(2026, 3, 1, 12, 0));
    add("AB12", "Com1", local_time(2026, 2, 15, 8, 30));

    struct Case {
        HistoryFilter filter;
        std::vector<std::string> serials;   // of the rows found, in order
        std::string reason;
    };
    const Case cases[] = {
        {{}, {"", "AB12", "123456", "777", "123456"}, ""},
        {{"123456", "", "", 0}, {"123456", "123456"}, ""},
        {{"ab12", "", "", 0}, {"AB12"}, ""},
        {{"", "2026-02-01", "", 0}, {"", "AB12", "123456"}, ""},
        {{"", "", "com1", 0}, {"AB12", "777", "123456"}, ""},
        {{"123456", "2026-01-11", "", 0}, {"123456"}, ""},
        {{"", "", "Com1", 2}, {"AB12", "777"}, ""},
        {{"999", "", "", 0}, {}, ""},
        {{"", "2026-02-30", "", 0}, {}, "since: \"2026-02-30\" is not a date (YYYY-MM-DD)"},
        {{"", "01/02/2026", "", 0}, {}, "since: \"01/02/2026\" is not a date (YYYY-MM-DD)"},
    };
    for (const Case& c : cases) {
        const DownloadHistory history = query_downloads(opening.store, c.filter);
        const std::string name = c.filter.radio_serial + "|" + c.filter.since + "|" + c.filter.port_name;
        EXPECT_EQ(history.result.ok, c.reason.empty()) << name;
        EXPECT_EQ(history.result.reason, c.reason) << name;
        std::vector<std::string> serials;
        for (const DownloadRecord& row : history.rows) serials.push_back(row.start.radio_serial);
        EXPECT_EQ(serials, c.serials) << name;
        std::vector<std::string> streamed;
        const RecordsResult each = each_download(opening.store, c.filter, [&](const DownloadRecord& row) {
            streamed.push_back(row.start.radio_serial);
        });
        EXPECT_EQ(each.reason, c.reason) << name;
        EXPECT_EQ(streamed, c.serials) << name;
    }
}

TEST_F(History, SessionsAreFilteredByDayAndPort) {
    for (const auto& [port, day] : {std::pair{"Com1", 3}, std::pair{"Com2", 4}, std::pair{"Com1", 5}}) {
        const RecordsResult begun = begin_session(opening.store, {local_time(2026, 4, day, 10, 0), "", "", port, "/dev/x", ""});
        ASSERT_TRUE(finish_session(opening.store, begun.id, {}));
    }
    const SessionHistory all = query_sessions(opening.store, {});
    EXPECT_EQ(all.rows.size(), 3U);
    for (const std::string& line : lines_of(session_table(all.rows))) EXPECT_LT(line.size(), 80U) << line;
    const SessionHistory com1 = query_sessions(opening.store, {"", "2026-04-04", "Com1", 0});
    ASSERT_EQ(com1.rows.size(), 1U);
    EXPECT_EQ(com1.rows[0].start.started, local_time(2026, 4, 5, 10, 0));
}

TEST_F(History, TheTableFitsAnEightyColumnTerminal) {
    add("123456", "Com1", local_time(2026, 12, 9, 10, 15));
    add("a-serial-number-far-too-long-for-its-column", "Com2", local_time(2026, 12, 9, 11, 0));
    DownloadStart unfinished_start = sample_start("");
    unfinished_start.started = local_time(2026, 12, 10, 8, 0);
    const RecordsResult unfinished = begin_download(opening.store, unfinished_start);
    DownloadStart failed_start = sample_start("555");
    failed_start.started = local_time(2026, 12, 11, 8, 0);
    const RecordsResult failed = begin_download(opening.store, failed_start);
    DownloadFinish line_failure = sample_finish(DownloadOutcome::line_failure);
    line_failure.error_number = 53;
    finish_download(opening.store, failed.id, line_failure);
    ASSERT_TRUE(unfinished);

    const std::vector<std::string> lines = lines_of(download_table(query_downloads(opening.store, {}).rows));
    ASSERT_EQ(lines.size(), 5U);
    for (const std::string& line : lines) EXPECT_LT(line.size(), 80U) << line;
    EXPECT_EQ(lines[0].find("Started (local)"), 0U);
    EXPECT_NE(lines[1].find("line failure (53)"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("unknown"), std::string::npos) << lines[2];
    EXPECT_NE(lines[2].find("in progress"), std::string::npos) << lines[2];
    EXPECT_NE(lines[4].find("2026-12-09 10:15 Com1 123456"), std::string::npos) << lines[4];
    EXPECT_NE(lines[4].find("1A2B3C4D"), std::string::npos) << lines[4];
    EXPECT_EQ(download_table({}), "no downloads found\n");
}

// Reads both files with Python's own modules and prints, per row, the CSV's field
// count and the two readings of the operator's answers as hex of their UTF-8.
constexpr const char* PYTHON_READER = R"py(
import csv, json, sys
with open(sys.argv[1], newline='', encoding='utf-8', errors='surrogateescape') as f:
    rows = list(csv.reader(f, strict=True))
with open(sys.argv[2], encoding='utf-8') as f:
    objects = [json.loads(line) for line in f]
header = rows[0]
print(len(rows) - 1, len(objects), header == list(objects[0].keys()))
for row, obj in zip(rows[1:], objects):
    answers = row[header.index('operator_answers')].encode('utf-8', 'surrogateescape')
    print(len(row), answers.hex(), obj['operator_answers'].encode('utf-8').hex(),
          type(obj['id']).__name__, json.dumps(obj['questions'], separators=(',', ':')),
          ' '.join(obj['passed_over_addresses']), obj['device_by_id'])
)py";

std::string hex_of(const std::string& bytes) {
    std::string hex;
    char digits[3];
    for (const char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned>(static_cast<unsigned char>(c)));
        hex += digits;
    }
    return hex;
}

TEST_F(History, CsvAndJsonLinesReadBackWithPython) {
    // What the operator typed, and what a spreadsheet must show of it from the CSV.
    struct Answer {
        std::string text;
        std::string in_csv;
    };
    const std::vector<Answer> answers = {
        {"plain", "plain"},
        {"comma, \"quoted\" and\r\na line break", "comma, \"quoted\" and\r\na line break"},
        {"caf\xC3\xA9 \x01 bell\x07 and a stray \xFF byte", "caf\xC3\xA9 \x01 bell\x07 and a stray \xFF byte"},
        {"=HYPERLINK(\"http://x\",\"y\")", "'=HYPERLINK(\"http://x\",\"y\")"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"-2+3", "'-2+3"},
    };
    for (const auto& [text, in_csv] : answers) {
        DownloadStart start = sample_start();
        start.operator_answers = text;
        start.device_by_id = "";
        const RecordsResult begun = begin_download(opening.store, start);
        ASSERT_TRUE(finish_download(opening.store, begun.id, sample_finish()));
    }
    const std::vector<DownloadRecord> rows = query_downloads(opening.store, {}).rows;
    ASSERT_EQ(rows.size(), answers.size());
    testing::write_file(scratch.file("history.csv"), downloads_csv(rows));
    std::string streamed;
    append_downloads_csv_header(streamed);
    each_download(opening.store, {}, [&](const DownloadRecord& row) { append_download_csv(streamed, row); });
    EXPECT_EQ(streamed, downloads_csv(rows));
    testing::write_file(scratch.file("history.jsonl"), downloads_json_lines(rows));

    const testing::CommandResult python = testing::run_command(
        {"/usr/bin/python3", "-c", PYTHON_READER, scratch.file("history.csv"), scratch.file("history.jsonl")});
    ASSERT_EQ(python.exit_code, 0) << python.err;
    const std::vector<std::string> lines = lines_of(python.out);
    ASSERT_EQ(lines.size(), answers.size() + 1);
    EXPECT_EQ(lines[0], "6 6 True");
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const auto& [text, in_csv] = answers[answers.size() - 1 - i];   // newest first
        std::string json_text = text;
        const std::size_t stray = json_text.find('\xFF');
        if (stray != std::string::npos) json_text.replace(stray, 1, "\xEF\xBF\xBD");   // U+FFFD
        EXPECT_EQ(lines[i + 1], "30 " + hex_of(in_csv) + " " + hex_of(json_text) +
                                    R"( int {"wrong echo":{"P":2,"R":1},"stall":{"Esc":1}} 1A2F 1A30 None)");
    }
}

// The program streams its output a piece at a time: more rows than fit one piece, read
// back whole, in each form and under the filters.
TEST_F(History, TheProgramPrintsWhatTheLayoutsMake) {
    constexpr int ROWS = 2000;
    sqlite3_exec(opening.store.db.get(), "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < ROWS; ++i)
        add(std::to_string(100000 + i % 7), i % 2 == 0 ? "Com1" : "Com2",
            local_time(2026, 1, 1, 0, 0) + std::chrono::minutes(i));
    sqlite3_exec(opening.store.db.get(), "COMMIT", nullptr, nullptr, nullptr);
    SessionStart session;
    session.port_name = "Com1";
    session.device_path = "/dev/ttyUSB0";
    const RecordsResult begun = begin_session(opening.store, session);
    ASSERT_TRUE(finish_session(opening.store, begun.id, {}));

    const auto rows = [&](const HistoryFilter& filter) { return query_downloads(opening.store, filter).rows; };
    const std::vector<DownloadRecord> all = rows({});
    ASSERT_EQ(all.size(), static_cast<std::size_t>(ROWS));
    ASSERT_GT(downloads_json_lines(all).size(), std::size_t{1} << 20) << "more than one piece";
    const std::string sessions =
        "\nSetup-terminal sessions\n" + session_table(query_sessions(opening.store, {}).rows);
    struct Case {
        std::vector<std::string> options;
        std::string printed;
    };
    const Case cases[] = {
        {{}, download_table(all) + sessions},
        {{"--csv"}, downloads_csv(all)},
        {{"--json"}, downloads_json_lines(all)},
        {{"--port", "Com2", "--json"}, downloads_json_lines(rows({"", "", "Com2", 0}))},
        {{"--serial", "100003"}, download_table(rows({"100003", "", "", 0}))},
        {{"--port", "Com9"}, download_table({})},
        {{"--serial", "999", "--csv"}, downloads_csv({})},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {ZIZUVU_EXECUTABLE, "--history", "--records", records_path()};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const testing::CommandResult printed = testing::run_command(arguments);
        const std::string named = ::testing::PrintToString(c.options);
        EXPECT_EQ(printed.exit_code, 0) << named << printed.err;
        EXPECT_EQ(printed.out.size(), c.printed.size()) << named;
        EXPECT_TRUE(printed.out == c.printed) << named;
    }
}

}  // namespace
}  // namespace zizuvu
