// The service records across programs, end to end: a download whose program is
// killed outright, and two programs downloading at once into one records file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <csignal>

#include "tests/support/download_rig.hpp"
#include "tests/support/fault_checks.hpp"
#include "tests/support/history_rows.hpp"
#include "tests/support/pty_process.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using namespace testing;

constexpr auto DOWNLOAD_LIMIT = 600s;

// A radio and a program on Com1 keeping its records in `records`.
struct Station {
    Station(const std::string& records, const std::vector<std::string>& radio_options)
        : radio(RadioProcess::start(dir.path(), radio_options)),
          program(radio ? PtyProcess::start({ZIZUVU_EXECUTABLE, "--records", records}, {"ZIZUVU_COM1=" + radio->path()})
                        : nullptr) {}
    bool started() const { return program != nullptr; }
    // Menu choice "1", the radio in setup, at the speed asked.
    void start_download(const char* high_speed) {
        ASSERT_TRUE(program->wait_for_text("End program"));
        program->send("1");
        program->drain_for(150ms);
        program->send(std::string("Y\r") + high_speed + "\r");
    }

    TempDir dir;
    std::unique_ptr<RadioProcess> radio;
    std::unique_ptr<PtyProcess> program;
};

TEST(RecordsAcrossPrograms, ADownloadKilledInTheMiddleIsInterruptedAtTheNextStart) {
    TempDir dir;
    const std::string records = dir.file("records.sqlite3");
    // Paced at the line's speed, the programming lasts most of a minute.
    Station station(records, {"--pace", "--erase-ms", "20"});
    ASSERT_TRUE(station.started());
    station.start_download("Y");
    ASSERT_TRUE(station.program->wait_for_text("[#", 60s)) << station.program->screen().dump();
    station.program->signal(SIGKILL);
    const auto status = station.program->wait_exit();
    ASSERT_TRUE(status.has_value());
    ASSERT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGKILL);
    station.radio->stop();
    const std::size_t programmed = dumped_memory(station.radio->dump()).size();
    EXPECT_GT(programmed, 0U);
    EXPECT_LT(programmed, image_memory().size()) << "killed before the end";
    EXPECT_EQ(stored_outcomes(records), std::vector<std::string>{"in progress"});

    // The next start, with no radio, before anything is chosen.
    auto next = PtyProcess::start({ZIZUVU_EXECUTABLE, "--records", records});
    ASSERT_TRUE(next->wait_for_text("End program"));
    expect_escape_ends_with_zero(*next);
    EXPECT_EQ(stored_outcomes(records), std::vector<std::string>{"interrupted"});
    const std::string image_bytes = std::to_string(image_memory().size());
    EXPECT_EQ(history_rows(records, {"outcome", "verdict", "procedure", "baud_rate", "image_byte_count", "ended_utc"}),
              std::vector<std::string>{"interrupted|the program stopped before the end of the download was recorded|"
                                       "current|115200|" + image_bytes + "|None"});
}

TEST(RecordsAcrossPrograms, TwoProgramsDownloadingAtOnceIntoOneFileBothRecordWhole) {
    TempDir dir;
    const std::string records = dir.file("records.sqlite3");
    // A long erase holds both downloads with their rows begun; they then go on together.
    Station first(records, {"--erase-ms", "1500", "--serial-number", "111111"});
    Station second(records, {"--erase-ms", "1500", "--serial-number", "222222"});
    ASSERT_TRUE(first.started() && second.started());
    for (Station* s : {&first, &second}) s->start_download("");
    for (Station* s : {&first, &second}) ASSERT_TRUE(s->program->wait_for_text("Waiting for erase", 60s));
    EXPECT_EQ(history_rows(records, {"outcome"}), (std::vector<std::string>{"in progress", "in progress"}))
        << "a reader marks no live program's row interrupted";

    for (Station* s : {&first, &second}) {
        ASSERT_TRUE(s->program->wait_for_text("Hit any key to return to main menu", DOWNLOAD_LIMIT))
            << s->program->screen().dump();
        s->program->drain_for(50ms);
        EXPECT_EQ(s->program->screen().row_text(28), std::string(80, ' ')) << "nothing said about the records";
        s->program->send("k");
        ASSERT_TRUE(s->program->wait_for_text("End program"));
        expect_escape_ends_with_zero(*s->program);
        s->radio->stop();
        EXPECT_EQ(dumped_memory(s->radio->dump()), image_memory());
    }
    std::vector<std::string> rows = history_rows(records, {"radio_serial", "outcome", "bytes_acknowledged"});
    std::sort(rows.begin(), rows.end());
    const std::string image_bytes = std::to_string(image_memory().size());
    EXPECT_EQ(rows, (std::vector<std::string>{"111111|complete|" + image_bytes, "222222|complete|" + image_bytes}));
}

}  // namespace
}  // namespace zizuvu
