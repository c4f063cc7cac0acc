// The service records' history over a bench's years of downloads: a temporary store
// filled with 100,000 download rows (or as many as the first argument says), then the
// time to open it (with its check), of each kind of query, of each layout of the
// largest answer, of a whole export read and laid out a row at a time, and of the
// program's own `zizuvu --history` printing all of them in each form.
// Target: every query, layout, export and print under 1 s.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "records/history.hpp"
#include "records/history_format.hpp"
#include "records/record_store.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using namespace zizuvu;

constexpr int RADIOS = 5000;   // each radio comes back about 20 times
constexpr std::chrono::hours SPREAD{24 * 730};   // two years of downloads

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Rows as varied as a busy bench's: nine ports, five thousand radios, every outcome,
// questions and bytes passed over on some.
void fill(RecordStore& store, int rows) {
    const auto newest = std::chrono::system_clock::now();
    const DownloadOutcome outcomes[] = {DownloadOutcome::complete, DownloadOutcome::complete,
                                        DownloadOutcome::complete, DownloadOutcome::complete_with_bytes_passed_over,
                                        DownloadOutcome::ended_by_operator, DownloadOutcome::line_failure,
                                        DownloadOutcome::no_radio_answered};
    sqlite3_exec(store.db.get(), "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < rows; ++i) {
        DownloadStart start;
        start.started = newest - SPREAD + SPREAD * i / rows;
        start.program_version = "5.80";
        start.port_name = "Com" + std::to_string(1 + i % 9);
        start.device_path = "/dev/ttyUSB" + std::to_string(i % 9);
        start.device_by_id = "/dev/serial/by-id/usb-Bench_Adapter_" + std::to_string(i % 9) + "-if00-port0";
        start.procedure = i % 5 == 0 ? RecordedProcedure::older : RecordedProcedure::current;
        start.baud_rate = 19200;
        start.operator_answers = "model: 900 MHz; erase first: yes";
        start.radio_serial = i % 50 == 0 ? "" : std::to_string(100000 + (i * 7919) % RADIOS);
        start.image = {"radio.hex", 812, 25984, static_cast<std::uint32_t>(0x1A2B3C4D + i % 4)};
        const RecordsResult begun = begin_download(store, start);
        DownloadFinish finish;
        finish.ended = start.started + std::chrono::seconds(70);
        finish.outcome = outcomes[i % std::size(outcomes)];
        finish.verdict = "Download complete";
        finish.bytes_sent = finish.bytes_acknowledged = 25984;
        finish.last_address = 0x657F;
        if (i % 10 == 0) finish.questions = {{"wrong echo", "P", 2}, {"stall", "Esc", 1}};
        if (finish.outcome == DownloadOutcome::complete_with_bytes_passed_over) finish.passed_over_addresses = {0x1A2F};
        if (finish.outcome == DownloadOutcome::line_failure) finish.error_number = 53;
        finish_download(store, begun.id, finish);
    }
    sqlite3_exec(store.db.get(), "COMMIT", nullptr, nullptr, nullptr);
}

void print_query(RecordStore& store, const char* what, const HistoryFilter& filter) {
    const auto start = Clock::now();
    const DownloadHistory history = query_downloads(store, filter);
    std::printf("query %-34s %7zu rows  %7.3f s  (target < 1 s)%s\n", what, history.rows.size(), seconds_since(start),
                history.result ? "" : (" FAILED: " + history.result.reason).c_str());
}

template <typename Layout>
void print_layout(const char* what, const std::vector<DownloadRecord>& rows, Layout layout) {
    const auto start = Clock::now();
    const std::string text = layout(rows);
    std::printf("layout %-33s %7zu rows  %7.3f s  (target < 1 s), %.1f MB\n", what, rows.size(), seconds_since(start),
                static_cast<double>(text.size()) / 1e6);
}

// A whole export as the program would write it: read and laid out a row at a time,
// written out a megabyte at a time, never all in memory.
void print_export(RecordStore& store, const char* what, void (*append)(std::string&, const DownloadRecord&)) {
    std::FILE* sink = std::fopen("/dev/null", "w");
    if (sink == nullptr) return;
    const auto start = Clock::now();
    std::string chunk;
    std::size_t rows = 0;
    const RecordsResult result = each_download(store, {}, [&](const DownloadRecord& row) {
        append(chunk, row);
        ++rows;
        if (chunk.size() < (1U << 20)) return;
        std::fwrite(chunk.data(), 1, chunk.size(), sink);
        chunk.clear();
    });
    std::fwrite(chunk.data(), 1, chunk.size(), sink);
    std::fclose(sink);
    std::printf("export %-33s %7zu rows  %7.3f s  (target < 1 s)%s\n", what, rows, seconds_since(start),
                result ? "" : (" FAILED: " + result.reason).c_str());
}

struct Printed {
    bool ok = false;
    std::size_t bytes = 0, lines = 0;
};

// Runs the program with its output into a pipe, read to the end and counted as it
// comes, as `| wc -l` would; nothing is kept.
Printed run_printing(const std::vector<std::string>& arguments) {
    Printed printed;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return printed;
    std::vector<std::string> strings = arguments;
    std::vector<char*> argv;
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    std::vector<char> buffer(1 << 16);
    for (ssize_t got = 0; (got = read(out[0], buffer.data(), buffer.size())) > 0;) {
        printed.bytes += static_cast<std::size_t>(got);
        printed.lines += static_cast<std::size_t>(std::count(buffer.data(), buffer.data() + got, '\n'));
    }
    close(out[0]);
    int status = 0;
    printed.ok = pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return printed;
}

// The program as an operator runs it, from its start to the last byte of its output.
void print_program(const std::string& path, const char* form) {
    std::vector<std::string> arguments = {ZIZUVU_EXECUTABLE, "--history", "--records", path};
    if (*form != '\0') arguments.emplace_back(form);
    const auto start = Clock::now();
    const Printed printed = run_printing(arguments);
    std::printf("zizuvu --history %-23s %7zu lines %7.3f s  (target < 1 s), %.1f MB%s\n", form, printed.lines,
                seconds_since(start), static_cast<double>(printed.bytes) / 1e6, printed.ok ? "" : " FAILED");
}

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::string folder = (std::filesystem::temp_directory_path() / "zizuvu-bench-XXXXXX").string();
    if (rows <= 0 || mkdtemp(folder.data()) == nullptr) {
        std::fprintf(stderr, "usage: %s [rows > 0]; or no temporary folder\n", argv[0]);
        return 1;
    }
    // Nothing it starts reaches the real home folder or a real port.
    setenv("HOME", folder.c_str(), 1);
    setenv("XDG_STATE_HOME", (folder + "/state").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    for (int n = 1; n <= 9; ++n) setenv(("ZIZUVU_COM" + std::to_string(n)).c_str(), "/nonexistent/zizuvu-bench", 1);
    const std::string path = folder + "/records.sqlite3";
    {
        RecordsOpening opening = open_records(path);
        if (!opening.result) {
            std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(), opening.result.reason.c_str());
            return 1;
        }
        const auto start = Clock::now();
        fill(opening.store, rows);
        std::printf("filled %d download rows in %.2f s through begin/finish in one transaction\n", rows,
                    seconds_since(start));
    }
    std::error_code ignored;
    std::printf("records file: %.1f MB\n", static_cast<double>(std::filesystem::file_size(path, ignored)) / 1e6);

    auto start = Clock::now();
    RecordsOpening opening = open_records(path);
    std::printf("open with its check over %d rows: %.3f s%s\n", rows, seconds_since(start),
                opening.result ? "" : (" FAILED: " + opening.result.reason).c_str());
    start = Clock::now();
    const RecordsResult begun = begin_download(opening.store, {});
    finish_download(opening.store, begun.id, {});
    std::printf("one download's begin and finish, each on the disk: %.3f s\n", seconds_since(start));

    print_query(opening.store, "all, newest first", {});
    print_query(opening.store, "one radio's serial number", {"100007", "", "", 0});
    print_query(opening.store, "one port", {"", "", "Com3", 0});
    char since[16];
    const std::time_t month_ago = std::time(nullptr) - 30 * 86400;
    std::strftime(since, sizeof since, "%Y-%m-%d", std::localtime(&month_ago));
    print_query(opening.store, "since a month ago", {"", since, "", 0});
    print_query(opening.store, "one port since a month ago", {"", since, "Com3", 0});
    print_query(opening.store, "the newest 50", {"", "", "", 50});

    const DownloadHistory all = query_downloads(opening.store, {});
    print_layout("table", all.rows, download_table);
    print_layout("CSV", all.rows, downloads_csv);
    print_layout("JSON Lines", all.rows, downloads_json_lines);

    print_export(opening.store, "CSV, a row at a time", append_download_csv);
    print_export(opening.store, "JSON Lines, a row at a time", append_download_json_line);
    close_records(opening.store);

    for (const char* form : {"", "--csv", "--json"}) print_program(path, form);
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
