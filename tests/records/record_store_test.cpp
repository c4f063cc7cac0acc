// Opening the record store, writing rows and reading them back, marking the rows of
// writers that stopped, and what becomes of old, newer and damaged files.
#include "records/record_store.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "records/history.hpp"
#include "records/schema.hpp"
#include "tests/records/record_samples.hpp"

namespace zizuvu {
namespace {

using testing::raw_sql;
using testing::read_file;
using testing::sample_finish;
using testing::sample_start;
using testing::write_file;

class RecordsFile : public testing::RecordsTest {};

std::vector<std::filesystem::path> files_in(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(RecordsFile, DefaultPathFollowsTheStateFolderAndCreatesNothing) {
    struct Case {
        const char* state_home;   // nullptr: unset
        const char* home;
        std::string expected;
    };
    const Case cases[] = {
        {"/srv/state", "/home/tech", "/srv/state/zizuvu/records.sqlite3"},
        {"relative/state", "/home/tech", "/home/tech/.local/state/zizuvu/records.sqlite3"},
        {nullptr, "/home/tech", "/home/tech/.local/state/zizuvu/records.sqlite3"},
    };
    const std::string home_before = getenv("HOME") != nullptr ? getenv("HOME") : "";
    for (const Case& c : cases) {
        if (c.state_home != nullptr) setenv("XDG_STATE_HOME", c.state_home, 1);
        else unsetenv("XDG_STATE_HOME");
        setenv("HOME", c.home, 1);
        EXPECT_EQ(default_records_path().string(), c.expected) << (c.state_home ? c.state_home : "unset");
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(c.expected).parent_path()));
    }
    setenv("HOME", home_before.c_str(), 1);
}

TEST_F(RecordsFile, OpeningCreatesAPrivateFolderAndTheFile) {
    setenv("XDG_STATE_HOME", scratch.file("state").c_str(), 1);
    const RecordsOpening opening = open_records(default_records_path());
    ASSERT_TRUE(opening.result) << opening.result.reason;
    EXPECT_EQ(opening.notice, "");
    EXPECT_TRUE(std::filesystem::exists(records_path()));
    struct stat folder {};
    ASSERT_EQ(stat(scratch.file("state/zizuvu").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700U);
    EXPECT_EQ(raw_sql(records_path(), "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(raw_sql(records_path(), "PRAGMA user_version"), std::to_string(RECORDS_FORMAT));
}

TEST_F(RecordsFile, ADownloadRowReadsBackAsWritten) {
    RecordsOpening opening = open_records(records_path());
    DownloadStart start = sample_start();
    start.started = testing::local_time(2026, 12, 9, 10, 15) + std::chrono::milliseconds(250);
    const RecordsResult begun = begin_download(opening.store, start);
    ASSERT_TRUE(begun) << begun.reason;

    DownloadHistory during = query_downloads(opening.store, {});
    ASSERT_EQ(during.rows.size(), 1U);
    EXPECT_EQ(during.rows[0].finish.outcome, DownloadOutcome::in_progress);
    EXPECT_EQ(during.rows[0].ended_utc, "");

    DownloadFinish finish = sample_finish(DownloadOutcome::complete_with_bytes_passed_over);
    finish.ended = start.started + std::chrono::milliseconds(61500);
    finish.radio_serial = "";   // keeps the start's
    ASSERT_TRUE(finish_download(opening.store, begun.id, finish));

    const DownloadHistory history = query_downloads(opening.store, {});
    ASSERT_TRUE(history.result) << history.result.reason;
    ASSERT_EQ(history.rows.size(), 1U);
    const DownloadRecord& row = history.rows[0];
    EXPECT_EQ(row.id, begun.id);
    EXPECT_EQ(row.start.started, start.started);
    EXPECT_EQ(row.finish.ended, finish.ended);
    EXPECT_EQ(row.started_utc.back(), 'Z');
    ASSERT_TRUE(row.duration_seconds.has_value());
    EXPECT_DOUBLE_EQ(*row.duration_seconds, 61.5);
    EXPECT_EQ(row.start.host_name, this_writer().host_name);
    EXPECT_EQ(row.start.user_name, process_user_name());
    EXPECT_EQ(row.start.program_version, start.program_version);
    EXPECT_EQ(row.start.port_name, start.port_name);
    EXPECT_EQ(row.start.device_path, start.device_path);
    EXPECT_EQ(row.start.device_by_id, start.device_by_id);
    EXPECT_EQ(row.start.adapter_serial, start.adapter_serial);
    EXPECT_EQ(row.start.procedure, start.procedure);
    EXPECT_EQ(row.start.baud_rate, start.baud_rate);
    EXPECT_EQ(row.start.operator_answers, start.operator_answers);
    EXPECT_EQ(row.start.radio_serial, start.radio_serial);
    EXPECT_EQ(row.start.image.name, start.image.name);
    EXPECT_EQ(row.start.image.record_count, start.image.record_count);
    EXPECT_EQ(row.start.image.byte_count, start.image.byte_count);
    EXPECT_EQ(row.start.image.crc32, start.image.crc32);
    EXPECT_EQ(raw_sql(records_path(), "SELECT image_crc32 FROM downloads"), "1A2B3C4D");
    EXPECT_EQ(row.finish.outcome, finish.outcome);
    EXPECT_EQ(row.finish.verdict, finish.verdict);
    EXPECT_EQ(row.finish.bytes_sent, finish.bytes_sent);
    EXPECT_EQ(row.finish.bytes_acknowledged, finish.bytes_acknowledged);
    EXPECT_EQ(row.finish.last_address, finish.last_address);
    EXPECT_EQ(row.finish.passed_over_addresses, finish.passed_over_addresses);
    EXPECT_EQ(row.finish.error_number, std::nullopt);
    ASSERT_EQ(row.finish.questions.size(), 3U);
    EXPECT_EQ(row.finish.questions[1].question, "wrong echo");
    EXPECT_EQ(row.finish.questions[1].key, "R");
    EXPECT_EQ(row.finish.questions[2].key, "Esc");
    EXPECT_EQ(raw_sql(records_path(), "SELECT questions FROM downloads"),
              R"({"wrong echo":{"P":2,"R":1},"stall":{"Esc":1}})");
    EXPECT_EQ(row.writer.pid, getpid());
}

TEST_F(RecordsFile, EveryOutcomeIsStoredAsItsNameAndReadBack) {
    RecordsOpening opening = open_records(records_path());
    const DownloadOutcome outcomes[] = {
        DownloadOutcome::complete,          DownloadOutcome::complete_with_bytes_passed_over,
        DownloadOutcome::ended_by_operator, DownloadOutcome::line_failure,
        DownloadOutcome::ended_by_signal,   DownloadOutcome::no_radio_answered,
    };
    for (const DownloadOutcome outcome : outcomes) {
        const RecordsResult begun = begin_download(opening.store, sample_start());
        DownloadFinish finish = sample_finish(outcome);
        if (outcome == DownloadOutcome::line_failure) finish.error_number = 53;
        ASSERT_TRUE(finish_download(opening.store, begun.id, finish));
        EXPECT_EQ(raw_sql(records_path(), "SELECT outcome FROM downloads WHERE id = " + std::to_string(begun.id)),
                  outcome_name(outcome));
        const DownloadHistory history = query_downloads(opening.store, {"", "", "", 1});
        ASSERT_EQ(history.rows.size(), 1U);
        EXPECT_EQ(history.rows[0].finish.outcome, outcome) << outcome_name(outcome);
        EXPECT_EQ(outcome_from_name(outcome_name(outcome)), outcome);
    }
    EXPECT_EQ(raw_sql(records_path(), "SELECT error_number FROM downloads WHERE outcome = 'line failure'"), "53");
}

TEST_F(RecordsFile, FinishingAnUnknownRowSaysSo) {
    RecordsOpening opening = open_records(records_path());
    const RecordsResult result = finish_download(opening.store, 4711, sample_finish());
    EXPECT_FALSE(result);
    EXPECT_EQ(result.reason, "no download 4711 in the records");
    EXPECT_FALSE(finish_session(opening.store, -3, {}));
}

TEST_F(RecordsFile, ASessionRowReadsBackAsWritten) {
    RecordsOpening opening = open_records(records_path());
    SessionStart start{testing::local_time(2026, 12, 9, 11, 0), "", "", "Com2", "/dev/ttyUSB1", ""};
    const RecordsResult begun = begin_session(opening.store, start);
    ASSERT_TRUE(begun) << begun.reason;
    SessionFinish finish{start.started + std::chrono::seconds(95), 4096, 118, "/tmp/capture-com2.txt"};
    ASSERT_TRUE(finish_session(opening.store, begun.id, finish));

    const SessionHistory history = query_sessions(opening.store, {});
    ASSERT_EQ(history.rows.size(), 1U);
    const SessionRecord& row = history.rows[0];
    EXPECT_EQ(row.state, SessionState::finished);
    EXPECT_EQ(row.start.started, start.started);
    EXPECT_EQ(row.finish.ended, finish.ended);
    EXPECT_EQ(row.duration_seconds, 95.0);
    EXPECT_EQ(row.start.port_name, "Com2");
    EXPECT_EQ(row.start.device_path, "/dev/ttyUSB1");
    EXPECT_EQ(row.finish.bytes_received, 4096U);
    EXPECT_EQ(row.finish.bytes_sent, 118U);
    EXPECT_EQ(row.start.capture_path, "/tmp/capture-com2.txt");
}

// A download and a session begun by a process that is then killed.
pid_t killed_writer(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        RecordsOpening opening = open_records(path);
        begin_download(opening.store, sample_start());
        begin_session(opening.store, {});
        raise(SIGKILL);
        _exit(1);
    }
    return child;
}

TEST_F(RecordsFile, RowsOfWritersThatStoppedBecomeInterruptedAndLiveOnesAreLeft) {
    struct Case {
        const char* writer;
        bool interrupted;
    };
    const Case cases[] = {
        {"killed", true},
        {"from before a restart", true},
        {"still running", false},
        {"on another machine", false},
    };
    for (const Case& c : cases) {
        const std::string path = scratch.file(std::string(c.writer) + ".sqlite3");
        RecordsOpening running = open_records(path);
        if (c.writer == std::string("killed")) {
            int status = 0;
            waitpid(killed_writer(path), &status, 0);
            ASSERT_TRUE(WIFSIGNALED(status));
        } else {
            if (c.writer == std::string("from before a restart")) running.store.writer.boot_id = "an earlier boot";
            if (c.writer == std::string("on another machine")) running.store.writer.host_name = "bench-7";
            ASSERT_TRUE(begin_download(running.store, sample_start()));
            ASSERT_TRUE(begin_session(running.store, {}));
        }

        RecordsOpening next = open_records(path);
        ASSERT_TRUE(next.result) << next.result.reason;
        EXPECT_EQ(next.rows_interrupted, c.interrupted ? 2 : 0) << c.writer;
        const DownloadHistory downloads = query_downloads(next.store, {});
        const SessionHistory sessions = query_sessions(next.store, {});
        ASSERT_EQ(downloads.rows.size(), 1U);
        ASSERT_EQ(sessions.rows.size(), 1U);
        EXPECT_EQ(downloads.rows[0].finish.outcome,
                  c.interrupted ? DownloadOutcome::interrupted : DownloadOutcome::in_progress)
            << c.writer;
        EXPECT_EQ(sessions.rows[0].state, c.interrupted ? SessionState::interrupted : SessionState::in_progress)
            << c.writer;
    }
}

TEST_F(RecordsFile, OlderFilesAreBroughtUpToDateWithNothingLost) {
    struct Case {
        const char* file;
        const char* sql;   // makes the older file
    };
    const Case cases[] = {
        {"empty", nullptr},
        {"format 0 with a table of its own", "CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('kept')"},
    };
    for (const Case& c : cases) {
        const std::string path = scratch.file(std::string(c.file) + ".sqlite3");
        write_file(path, "");
        if (c.sql != nullptr) raw_sql(path, c.sql);
        RecordsOpening opening = open_records(path);
        ASSERT_TRUE(opening.result) << c.file << ": " << opening.result.reason;
        EXPECT_EQ(opening.notice, "") << c.file;
        EXPECT_EQ(raw_sql(path, "PRAGMA user_version"), std::to_string(RECORDS_FORMAT)) << c.file;
        EXPECT_TRUE(begin_download(opening.store, sample_start())) << c.file;
        if (c.sql != nullptr) {
            EXPECT_EQ(raw_sql(path, "SELECT text FROM notes"), "kept");
        }
    }
}

// The first format's rows survive the table being made again for a new outcome.
TEST_F(RecordsFile, AFirstFormatFileKeepsItsRowsAndTakesTheNewOutcome) {
    const std::string path = scratch.file("format1.sqlite3");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const SqlFailure made = migrate_records(db, RECORDS_MIGRATIONS.first(1), path);
    sqlite3_close(db);
    ASSERT_FALSE(made.failed()) << made.reason;
    raw_sql(path,
            "INSERT INTO downloads (started_utc, host_name, user_name, program_version, port_name, device_path,"
            " procedure, baud_rate, operator_answers, image_name, image_record_count, image_byte_count, image_crc32,"
            " outcome, writer_pid, writer_start_ticks, writer_boot_id) VALUES ('2026-01-02T03:04:05.000Z', 'bench',"
            " 'tech', '1.0', 'Com1', '/dev/ttyUSB0', 'current', 19200, '', 'built-in', 3016, 47956, '0000BEEF',"
            " 'complete', 1, 1, 'boot')");

    RecordsOpening opening = open_records(path);
    ASSERT_TRUE(opening.result) << opening.result.reason;
    EXPECT_EQ(raw_sql(path, "PRAGMA user_version"), std::to_string(RECORDS_FORMAT));
    const RecordsResult begun = begin_download(opening.store, sample_start());
    ASSERT_TRUE(begun) << begun.reason;
    EXPECT_TRUE(finish_download(opening.store, begun.id, sample_finish(DownloadOutcome::attempts_exhausted)));
    EXPECT_EQ(raw_sql(path, "SELECT group_concat(outcome, '|') FROM (SELECT outcome FROM downloads ORDER BY id)"),
              "complete|attempts exhausted");
    EXPECT_EQ(raw_sql(path, "SELECT count(*) FROM sqlite_master WHERE tbl_name = 'downloads' AND type = 'index'"),
              "4");
}

TEST_F(RecordsFile, MigrationAppliesOnlyTheStepsAFileLacks) {
    const std::string path = scratch.file("ladder.sqlite3");
    ASSERT_TRUE(open_records(path).result);
    const Migration ladder[] = {
        {RECORDS_FORMAT, "CREATE TABLE would_fail_if_run_again (x)"},
        {RECORDS_FORMAT + 1, "ALTER TABLE downloads ADD COLUMN bench_name TEXT"},
    };
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const SqlFailure failure = migrate_records(db, ladder, path);
    sqlite3_close(db);
    EXPECT_FALSE(failure.failed()) << failure.reason;
    EXPECT_EQ(raw_sql(path, "PRAGMA user_version"), std::to_string(RECORDS_FORMAT + 1));
    EXPECT_EQ(raw_sql(path, "SELECT count(*) FROM pragma_table_info('downloads') WHERE name = 'bench_name'"), "1");
}

TEST_F(RecordsFile, AFileFromANewerProgramIsRefusedAndLeftAsItIs) {
    const std::string path = scratch.file("newer.sqlite3");
    ASSERT_TRUE(open_records(path).result);
    raw_sql(path, "PRAGMA journal_mode = DELETE");
    raw_sql(path, "PRAGMA user_version = " + std::to_string(RECORDS_FORMAT + 1));
    const std::string before = read_file(path);

    RecordsOpening opening = open_records(path);
    EXPECT_FALSE(opening.result);
    EXPECT_NE(opening.result.reason.find("newer version of the program"), std::string::npos) << opening.result.reason;
    const RecordsResult write = begin_download(opening.store, sample_start());
    EXPECT_FALSE(write);
    EXPECT_EQ(write.reason, opening.result.reason);
    EXPECT_EQ(read_file(path), before);
    EXPECT_EQ(files_in(scratch.path()), std::vector<std::filesystem::path>{"newer.sqlite3"});
}

TEST_F(RecordsFile, ADamagedFileIsSetAsideWithItsCompanionsAndANewOneStarted) {
    struct Case {
        const char* damage;
        void (*make)(const std::string& path);
    };
    const Case cases[] = {
        {"not a database", [](const std::string& path) {
             write_file(path, "this is not a database, it is a note left by someone\n");
             write_file(path + "-wal", "nor is this");
         }},
        {"pages overwritten", [](const std::string& path) {
             RecordsOpening opening = open_records(path);
             for (int i = 0; i < 50; ++i) begin_download(opening.store, sample_start());
             close_records(opening.store);
             std::string bytes = read_file(path);
             ASSERT_GT(bytes.size(), 3 * 4096U);
             for (std::size_t i = 4096; i < 3 * 4096; ++i) bytes[i] = static_cast<char>(i * 7);
             write_file(path, bytes);
         }},
        {"a database without the records' tables", [](const std::string& path) {
             raw_sql(path, "PRAGMA user_version = 1");
         }},
    };
    for (const Case& c : cases) {
        testing::TempDir folder;
        const std::string path = folder.file("records.sqlite3");
        c.make(path);
        const std::string damaged = read_file(path);
        const std::string damaged_wal = read_file(path + "-wal");

        RecordsOpening opening = open_records(path);
        ASSERT_TRUE(opening.result) << c.damage << ": " << opening.result.reason;
        const std::vector<std::filesystem::path> names = files_in(folder.path());
        const auto aside = std::find_if(names.begin(), names.end(), [](const std::filesystem::path& name) {
            return name.string().starts_with("records.sqlite3.corrupt-") && !name.string().ends_with("-wal");
        });
        ASSERT_NE(aside, names.end()) << c.damage;
        EXPECT_EQ(aside->string().size(), std::string("records.sqlite3.corrupt-20261209-101502").size());
        const std::string aside_path = folder.file(aside->string());
        EXPECT_EQ(read_file(aside_path), damaged) << c.damage;
        if (!damaged_wal.empty()) {
            EXPECT_EQ(read_file(aside_path + "-wal"), damaged_wal) << c.damage;
        }
        EXPECT_EQ(opening.notice, "records file was damaged: kept as " + aside_path + ", started a new one");
        EXPECT_TRUE(begin_download(opening.store, sample_start())) << c.damage;
        EXPECT_EQ(raw_sql(path, "PRAGMA quick_check"), "ok");
    }
}

TEST_F(RecordsFile, AFolderInThePlaceOfTheFileIsNamedAndLeftAlone) {
    std::filesystem::create_directories(records_path() + "/inside");
    RecordsOpening opening = open_records(records_path());
    EXPECT_FALSE(opening.result);
    EXPECT_EQ(opening.result.reason, "records file is a folder: " + records_path());
    EXPECT_TRUE(std::filesystem::is_directory(records_path() + "/inside"));
    EXPECT_EQ(files_in(scratch.file("state/zizuvu")), std::vector<std::filesystem::path>{"records.sqlite3"});
}

// Programs started together on a new file (radios flashed from separate shells, a
// bench script): each must open it, and every row must land in it. The moment that
// mattered is short, so it is met many times over.
TEST_F(RecordsFile, ProgramsOpeningANewFileAtOnceAllOpenItAndAllTheirRowsLand) {
    constexpr int PROGRAMS = 12;
    constexpr int ROUNDS = 30;
    for (int round = 0; round < ROUNDS; ++round) {
        const std::string path = scratch.file("round" + std::to_string(round) + "/records.sqlite3");
        int gate[2];
        ASSERT_EQ(pipe(gate), 0);
        std::vector<pid_t> programs;
        for (int p = 0; p < PROGRAMS; ++p) {
            const pid_t child = fork();
            if (child != 0) {
                programs.push_back(child);
                continue;
            }
            close(gate[1]);
            char go = 0;
            const bool started = read(gate[0], &go, 1) == 0;
            RecordsOpening opening = open_records(path);
            const RecordsResult begun = begin_download(opening.store, sample_start("123456", "Com" + std::to_string(p)));
            const bool landed = started && opening.result && opening.notice.empty() && begun &&
                                finish_download(opening.store, begun.id, sample_finish()) && close_records(opening.store);
            _exit(landed ? 0 : 1);
        }
        close(gate[0]);
        close(gate[1]);  // every program goes at once
        int failed = 0;
        for (const pid_t child : programs) {
            int status = 0;
            waitpid(child, &status, 0);
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ++failed;
        }
        ASSERT_EQ(failed, 0) << "round " << round;
        ASSERT_EQ(raw_sql(path, "SELECT count(*) FROM downloads WHERE outcome = 'complete'"), std::to_string(PROGRAMS))
            << "round " << round;
    }
}

TEST_F(RecordsFile, TwoProgramsWritingAtOnceBothLand) {
    constexpr int DOWNLOADS_EACH = 25;
    std::atomic<int> ready{0};
    std::atomic<int> failures{0};
    const auto writer = [&](const char* port) {
        ++ready;
        while (ready < 2) std::this_thread::yield();
        RecordsOpening opening = open_records(records_path());
        if (!opening.result) ++failures;
        for (int i = 0; i < DOWNLOADS_EACH; ++i) {
            const RecordsResult begun = begin_download(opening.store, sample_start("123456", port));
            if (!begun || !finish_download(opening.store, begun.id, sample_finish())) ++failures;
        }
    };
    std::thread com1(writer, "Com1");
    std::thread com2(writer, "Com2");
    com1.join();
    com2.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(raw_sql(records_path(), "SELECT count(*) FROM downloads WHERE outcome = 'complete'"),
              std::to_string(2 * DOWNLOADS_EACH));
    EXPECT_EQ(raw_sql(records_path(), "SELECT count(DISTINCT port_name) FROM downloads"), "2");
}

}  // namespace
}  // namespace zizuvu
