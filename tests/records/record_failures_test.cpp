// What the store answers when the disk is full, the folder read-only or the file held
// by another program: a short reason, nothing set aside, and the rows that could not
// be written written later, when they can.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>

#include "records/history.hpp"
#include "records/record_store.hpp"
#include "tests/records/record_samples.hpp"
#include "tests/support/private_tmpfs.hpp"

namespace zizuvu {
namespace {

using testing::raw_sql;
using testing::sample_finish;
using testing::sample_start;

class RecordFailures : public testing::RecordsTest {
protected:
    std::string mount_point() const { return scratch.file("mounted"); }

    // A tmpfs of `size` on the scratch folder's "mounted": empty, or why not.
    std::string mount_scratch_tmpfs(const char* size) {
        tmpfs = std::make_unique<testing::PrivateTmpfs>(mount_point(), size);
        return tmpfs->why_not();
    }

    std::unique_ptr<testing::PrivateTmpfs> tmpfs;
};

std::vector<std::string> aside_files(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.path().filename().string().find(".corrupt-") != std::string::npos)
            names.push_back(entry.path().string());
    return names;
}

TEST_F(RecordFailures, AReadOnlyFolderIsNamedAndNothingIsSetAside) {
    const std::string why_not = mount_scratch_tmpfs("1m");
    if (!why_not.empty()) GTEST_SKIP() << "needs a tmpfs of its own (run as root): " << why_not;
    const std::string existing = mount_point() + "/existing/records.sqlite3";
    {
        RecordsOpening opening = open_records(existing);
        ASSERT_TRUE(opening.result) << opening.result.reason;
        ASSERT_TRUE(begin_download(opening.store, sample_start()));
    }
    ASSERT_EQ(tmpfs->remount_read_only(), "");

    struct Case {
        std::string path;
        std::string reason;
    };
    const Case cases[] = {
        {mount_point() + "/new/records.sqlite3", "folder is read-only: " + mount_point()},
        {existing, "folder is read-only: " + mount_point() + "/existing"},
    };
    for (const Case& c : cases) {
        RecordsOpening opening = open_records(c.path);
        EXPECT_FALSE(opening.result) << c.path;
        EXPECT_EQ(opening.result.reason, c.reason);
        const RecordsResult write = begin_download(opening.store, sample_start());
        EXPECT_FALSE(write);
        EXPECT_EQ(write.reason, c.reason);
    }
    EXPECT_TRUE(aside_files(mount_point()).empty());
}

TEST_F(RecordFailures, AFullDiskIsNamedAndTheRowIsWrittenOnceThereIsRoom) {
    const std::string why_not = mount_scratch_tmpfs("512k");
    if (!why_not.empty()) GTEST_SKIP() << "needs a tmpfs of its own (run as root): " << why_not;
    const std::string path = mount_point() + "/zizuvu/records.sqlite3";
    const std::string filler = mount_point() + "/filler";
    RecordsOpening opening = open_records(path);
    ASSERT_TRUE(opening.result) << opening.result.reason;
    const RecordsResult first = begin_download(opening.store, sample_start("111"));
    ASSERT_TRUE(first) << first.reason;

    testing::fill_up(filler);
    DownloadStart large = sample_start("222");
    large.operator_answers.assign(64 * 1024, 'a');   // more than any page left over
    const RecordsResult second = begin_download(opening.store, large);
    EXPECT_FALSE(second);
    EXPECT_EQ(second.reason, "disk full");
    EXPECT_LT(second.id, 0);
    RecordsOpening while_full = open_records(mount_point() + "/other/records.sqlite3");
    EXPECT_FALSE(while_full.result);
    EXPECT_EQ(while_full.result.reason, "disk full");

    std::filesystem::remove(filler);
    EXPECT_TRUE(finish_download(opening.store, first.id, sample_finish()));
    const RecordsResult later = finish_download(opening.store, second.id, sample_finish());
    EXPECT_TRUE(later) << later.reason;
    const DownloadHistory history = query_downloads(opening.store, {});
    ASSERT_EQ(history.rows.size(), 2U);
    EXPECT_EQ(history.rows[0].start.radio_serial, "222");
    EXPECT_EQ(history.rows[0].start.operator_answers.size(), large.operator_answers.size());
    EXPECT_EQ(history.rows[0].finish.outcome, DownloadOutcome::complete);
    EXPECT_EQ(history.rows[1].finish.outcome, DownloadOutcome::complete);
    EXPECT_TRUE(aside_files(mount_point()).empty());
    EXPECT_EQ(raw_sql(path, "PRAGMA quick_check"), "ok");
}

TEST_F(RecordFailures, AFileLockedPastTheTimeOutIsNamedAndTheRowsAreWrittenLater) {
    RecordsOpening opening = open_records(records_path(), {std::chrono::milliseconds(100)});
    ASSERT_TRUE(opening.result) << opening.result.reason;
    const RecordsResult before = begin_download(opening.store, sample_start("111"));
    ASSERT_TRUE(before);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(records_path().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    const RecordsResult finish = finish_download(opening.store, before.id, sample_finish());
    EXPECT_FALSE(finish);
    EXPECT_EQ(finish.reason, "database is locked by another program");
    const RecordsResult download = begin_download(opening.store, sample_start("222"));
    EXPECT_FALSE(download);
    EXPECT_EQ(download.reason, finish.reason);
    const RecordsResult session = begin_session(opening.store, {});
    EXPECT_FALSE(session);
    EXPECT_EQ(session.reason, finish.reason);
    EXPECT_TRUE(query_downloads(opening.store, {}).result) << "reading waits for no writer";

    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(finish_download(opening.store, download.id, sample_finish()));
    EXPECT_TRUE(close_records(opening.store));
    EXPECT_EQ(raw_sql(records_path(), "SELECT group_concat(radio_serial || ' ' || outcome, ', ') FROM downloads"),
              "111 complete, 222 complete");
    EXPECT_EQ(raw_sql(records_path(), "SELECT state FROM sessions"), "in progress");
}

}  // namespace
}  // namespace zizuvu
