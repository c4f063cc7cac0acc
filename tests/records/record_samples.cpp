#include "tests/records/record_samples.hpp"

#include <sqlite3.h>

#include <cstdlib>
#include <ctime>

namespace zizuvu::testing {

void RecordsTest::SetUp() {
    ASSERT_FALSE(scratch.path().empty());
    setenv("XDG_STATE_HOME", scratch.file("state").c_str(), 1);
    setenv("XDG_CONFIG_HOME", scratch.file("config").c_str(), 1);
}

DownloadStart sample_start(const std::string& radio_serial, const std::string& port) {
    DownloadStart start;
    start.program_version = "5.80";
    start.port_name = port;
    start.device_path = "/dev/ttyUSB0";
    start.device_by_id = "/dev/serial/by-id/usb-Bench_Adapter_A1B2C3-if00-port0";
    start.adapter_serial = "A1B2C3";
    start.procedure = RecordedProcedure::current;
    start.baud_rate = 19200;
    start.operator_answers = "model: 900 MHz; erase first: yes";
    start.radio_serial = radio_serial;
    start.image = {"radio.hex", 812, 25984, 0x1A2B3C4D};
    return start;
}

DownloadFinish sample_finish(DownloadOutcome outcome) {
    DownloadFinish finish;
    finish.outcome = outcome;
    finish.verdict = "Download complete";
    finish.bytes_sent = 25990;
    finish.bytes_acknowledged = 25984;
    finish.last_address = 0x657F;
    finish.questions = {{"wrong echo", "P", 2}, {"wrong echo", "R", 1}, {"stall", "Esc", 1}};
    finish.passed_over_addresses = {0x1A2F, 0x1A30};
    return finish;
}

std::chrono::system_clock::time_point local_time(int year, int month, int day, int hour, int minute) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&fields));
}

std::string raw_sql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        const std::string error = sqlite3_errmsg(db);
        sqlite3_close(db);
        return error;
    }
    sqlite3_busy_timeout(db, 5000);
    std::string answer;
    bool answered = false;
    const char* next = sql.c_str();
    while (*next != '\0') {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, next, -1, &statement, &next) != SQLITE_OK) {
            answer = sqlite3_errmsg(db);
            break;
        }
        if (statement == nullptr) break;   // only blanks were left
        int code = SQLITE_ROW;
        while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            if (!answered && text != nullptr) answer = reinterpret_cast<const char*>(text);
            answered = true;
        }
        if (code != SQLITE_DONE) answer = sqlite3_errmsg(db);
        sqlite3_finalize(statement);
        if (code != SQLITE_DONE) break;
    }
    sqlite3_close(db);
    return answer;
}

}  // namespace zizuvu::testing
