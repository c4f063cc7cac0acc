#pragma once
// What the record store's tests share: a scratch folder that is also the test's
// XDG_STATE_HOME and XDG_CONFIG_HOME, and rows filled in as the program fills them.
//
//   RecordsTest    fixture: scratch folder, the records file's path in it
//   sample_start   a download start with every field set
//   sample_finish  a finish with every field set, for the given outcome
//   local_time     a time given in local fields
//   raw_sql        run SQL on a file through a connection of the test's own

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "records/record_store.hpp"
#include "tests/support/run_command.hpp"

namespace zizuvu::testing {

class RecordsTest : public ::testing::Test {
protected:
    void SetUp() override;
    std::string records_path() const { return scratch.file("state/zizuvu/records.sqlite3"); }

    TempDir scratch;
};

DownloadStart sample_start(const std::string& radio_serial = "123456", const std::string& port = "Com1");
DownloadFinish sample_finish(DownloadOutcome outcome = DownloadOutcome::complete);

std::chrono::system_clock::time_point local_time(int year, int month, int day, int hour, int minute);

// Runs each statement; gives the first column of the first row, or the error's text.
std::string raw_sql(const std::string& path, const std::string& sql);

}  // namespace zizuvu::testing
