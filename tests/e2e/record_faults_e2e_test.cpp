// A records file that cannot be kept, end to end: the download goes on untouched, the
// radio is fully programmed, and the verdict and the bench panel say what became of
// the record. A damaged file is set aside whole and a new one started.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/download_rig.hpp"
#include "tests/support/fault_checks.hpp"
#include "tests/support/history_rows.hpp"
#include "tests/support/private_tmpfs.hpp"
#include "tests/support/pty_process.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using namespace testing;

constexpr auto DOWNLOAD_LIMIT = 600s;
constexpr int RECORDS_ROW = 48;
const std::string NOT_A_DATABASE = "these are notes, not service records\n";

enum class Fault { read_only_folder, full_file_system, damaged_file };

struct StoreFaultCase {
    const char* what;
    Fault fault;
    std::string reason;  // how "not recorded: " goes on, on the panel and after the verdict; empty: recorded
};

// The records file the program is given, with the fault made; empty with the reason
// when the fault cannot be made here.
std::string make_fault(Fault fault, const TempDir& dir, std::unique_ptr<PrivateTmpfs>& tmpfs, std::string& why_not) {
    const std::string mounted = dir.file("mounted");
    switch (fault) {
        case Fault::damaged_file:
            write_file(dir.file("records.sqlite3"), NOT_A_DATABASE);
            return dir.file("records.sqlite3");
        case Fault::read_only_folder:
            tmpfs = std::make_unique<PrivateTmpfs>(mounted, "64k");
            why_not = tmpfs->why_not().empty() ? tmpfs->remount_read_only() : tmpfs->why_not();
            break;
        case Fault::full_file_system:
            tmpfs = std::make_unique<PrivateTmpfs>(mounted, "64k");
            why_not = tmpfs->why_not();
            if (why_not.empty()) fill_up(mounted + "/filler");
            break;
    }
    return why_not.empty() ? mounted + "/zizuvu/records.sqlite3" : "";
}

std::vector<std::string> set_aside(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (entry.path().filename().string().rfind("records.sqlite3.corrupt-", 0) == 0) names.push_back(entry.path());
    return names;
}

class StoreFault : public ::testing::TestWithParam<StoreFaultCase> {};

TEST_P(StoreFault, LeavesTheDownloadWholeAndIsSaid) {
    const StoreFaultCase& c = GetParam();
    TempDir dir;
    std::unique_ptr<PrivateTmpfs> tmpfs;
    std::string why_not;
    const std::string records = make_fault(c.fault, dir, tmpfs, why_not);
    if (records.empty()) GTEST_SKIP() << "needs a tmpfs of its own (run as root): " << why_not;

    auto radio = RadioProcess::start(dir.path(), {"--erase-ms", "20"});
    ASSERT_NE(radio, nullptr);
    auto program = PtyProcess::start({ZIZUVU_EXECUTABLE, "--records", records}, {"ZIZUVU_COM1=" + radio->path()});
    ASSERT_TRUE(program->wait_for_text("End program"));
    program->drain_for(100ms);  // the panel comes after the menu
    const std::string panel = program->screen().row_text(RECORDS_ROW);
    const std::string said = c.reason.empty() ? "records file was damaged: kept as " : "not recorded: " + c.reason;
    EXPECT_EQ(panel.rfind("Records " + said, 0), 0U) << panel;
    EXPECT_EQ(program->screen().cell(RECORDS_ROW, 1).attribute, 0x0C);

    program->send("1");
    program->drain_for(150ms);
    program->send("Y\r\r");
    ASSERT_TRUE(program->wait_for_text("Hit any key to return to main menu", DOWNLOAD_LIMIT)) << program->screen().dump();
    program->drain_for(50ms);
    EXPECT_EQ(program->screen().row_text(27).rfind("Complete: ", 0), 0U) << program->screen().dump();
    const std::string note = program->screen().row_text(28);
    if (c.reason.empty()) {
        EXPECT_EQ(note, std::string(80, ' ')) << "the new file took the record";
    } else {
        EXPECT_EQ(note.rfind("not recorded: " + c.reason, 0), 0U) << note;
        EXPECT_EQ(program->screen().cell(28, 1).attribute, 0x0C);
    }
    program->send("k");
    ASSERT_TRUE(program->wait_for_text("End program"));
    program->drain_for(100ms);
    EXPECT_EQ(program->screen().row_text(RECORDS_ROW), panel) << "still said after the download";
    expect_escape_ends_with_zero(*program);
    radio->stop();
    EXPECT_EQ(dumped_memory(radio->dump()), image_memory());

    if (c.fault == Fault::damaged_file) {
        const std::vector<std::string> aside = set_aside(dir);
        ASSERT_EQ(aside.size(), 1U);
        EXPECT_EQ(read_file(aside[0]), NOT_A_DATABASE);
        // As much as the row holds.
        std::string whole = "Records records file was damaged: kept as " + aside[0] + ", started a new one";
        whole.resize(80, ' ');
        EXPECT_EQ(panel, whole);
        EXPECT_EQ(history_rows(records, {"outcome"}), std::vector<std::string>{"complete"});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Records, StoreFault,
    ::testing::Values(StoreFaultCase{"ReadOnlyFolder", Fault::read_only_folder, "folder is read-only: "},
                      StoreFaultCase{"FullFileSystem", Fault::full_file_system, "disk full"},
                      StoreFaultCase{"DamagedFile", Fault::damaged_file, ""}),
    [](const auto& test) { return std::string(test.param.what); });

}  // namespace
}  // namespace zizuvu
