// `zizuvu flash`: every port's download in a child process of its own, the parent
// showing their progress and, at the end, a summary line per port. A child has its
// own priority and processor-latency request, which are the process's on Linux, and
// whatever becomes of one port's process cannot touch another's download.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/bench_records.hpp"
#include "app/port_facts.hpp"
#include "app/run_actions.hpp"
#include "flash/flash_lines.hpp"
#include "flash/flash_messages.hpp"
#include "flash/flash_port.hpp"
#include "platform/linux/child_processes.hpp"
#include "platform/linux/readable_wait.hpp"
#include "platform/linux/stream_kind.hpp"
#include "platform/linux/termination_signals.hpp"
#include "platform/port_number.hpp"
#include "records/history_format.hpp"
#include "records/record_store.hpp"
#include "settings/exit_status.hpp"

namespace zizuvu {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto DRAW_INTERVAL = std::chrono::milliseconds(250);
constexpr auto PLAIN_LINE_INTERVAL = std::chrono::seconds(5);
constexpr std::size_t LINE_WIDTH = 79;

struct PortRun {
    PortLabel label;
    FlashJob job;
    std::string device_to_name;  // a device given by its path: put behind Com1 in its child
    ChildProcess child;
    MessageBuffer from_child;
    PortProgress progress;
    std::optional<PortResult> result;
    std::string json;
    Clock::time_point started;
    Clock::time_point next_plain_line;
    DownloadPhase last_phase_told = DownloadPhase::asking;
    bool running = false;
    int exit_status = EXIT_DONE;
};

std::vector<PortRun> port_runs(const RunSettings& settings) {
    std::vector<PortRun> runs;
    for (const FlashTarget& target : settings.flash.ports) {
        PortRun run;
        run.job.radio = settings.flash.radio;
        run.job.high_speed = settings.flash.high_speed;
        run.job.firmware_before_545 = settings.flash.firmware_before_545;
        run.job.policy.attempts = settings.flash.attempts;
        run.job.policy.radio_wait = std::chrono::seconds(settings.flash.wait_seconds);
        if (target.port > 0) {
            run.job.port_name = "Com" + std::to_string(target.port);
            run.label = PortLabel{run.job.port_name, port_device(run.job.port_name)};
        } else {
            run.job.port_name = "Com1";
            run.device_to_name = target.path;
            run.label = PortLabel{target.path, target.path};
        }
        runs.push_back(std::move(run));
    }
    return runs;
}

// A port that could not be opened has no row; its object has the row's fields all the same.
std::string unrecorded_json(const PortRun& run, const Downloads& downloads, const FlashResult& result) {
    DownloadRecord known;
    known.start.port_name = run.label.name;
    known.start.device_path = run.label.device;
    known.start.procedure = run.job.radio == FlashRadio::older   ? RecordedProcedure::older
                            : run.job.radio == FlashRadio::retry ? RecordedProcedure::retry
                                                                 : RecordedProcedure::current;
    known.start.operator_answers = result.report.answers;
    known.start.baud_rate = static_cast<std::uint32_t>(result.report.speed);
    const DownloadImage& image = downloads.image;
    known.start.image = FirmwareImageIdentity{image.built_in ? "built-in (" + image.name + ")" : image.name,
                                              static_cast<std::uint32_t>(image.table.record_count),
                                              static_cast<std::uint32_t>(image.bytes_to_send), image.crc32};
    known.finish.outcome = result.signalled ? DownloadOutcome::ended_by_signal : DownloadOutcome::line_failure;
    if (result.error_number != 0) known.finish.error_number = result.error_number;
    known.finish.verdict = result.verdict;
    return downloads_json_lines({known});
}

// The summary's verdict, with the error that ended the port's download in words and
// its fix, as the bench panel would give them: nobody is at the bench to look the
// number up. The record keeps the verdict and the number apart, as the menu's does.
std::string verdict_with_error_words(const PortRun& run, const FlashResult& result) {
    int error = result.error_number;
    if (result.opened) error = result.report.end == DownloadEnd::line_failure ? result.report.line_error : 0;
    if (error == 0) return result.verdict;
    // No row to fit: the summary line is as long as it needs to be.
    const std::vector<PortFacts> facts = port_facts({run.job.port_name}, error, 200);
    if (facts.empty() || facts.front().advice.empty()) return result.verdict;
    return result.verdict + " - " + facts.front().advice;
}

// The child: one port's download, told to the parent line by line.
int flash_in_child(const RunSettings& settings, DownloadImage& image, const PortRun& run, int to_parent) {
    if (!run.device_to_name.empty()) {
        std::array<std::string, PORT_NAMES> devices{};
        devices[0] = run.device_to_name;
        name_port_devices(devices);
    }
    Downloads downloads;
    downloads.image = std::move(image);
    FlashRun flash(run.job, downloads, [to_parent](const DownloadReport& report) {
        tell_parent(to_parent, progress_line(report));
    });
    BenchRecords records(flash.session(), downloads);
    const bool recording = records.open(settings.records);
    records.name_port(run.label.name);
    downloads.log = &records;
    const FlashResult result = flash.flash();

    PortResult told;
    told.exit_status = exit_status_of(result);
    told.record_id = records.download_id();
    told.seconds = result.seconds;
    told.acknowledged = result.report.bytes_acknowledged;
    if (result.report.radio_serial) told.radio_serial = std::to_string(*result.report.radio_serial);
    told.verdict = verdict_with_error_words(run, result);
    if (result.opened && (told.record_id == 0 || !recording)) {
        const RecordsStatus status = records.status();
        told.not_recorded = status.text.rfind("not recorded: ", 0) == 0 ? status.text.substr(14) : status.text;
    }
    tell_parent(to_parent, progress_line(result.report));
    if (settings.flash.json) {
        std::string object = result.opened ? records.download_json() : unrecorded_json(run, downloads, result);
        while (!object.empty() && object.back() == '\n') object.pop_back();
        tell_parent(to_parent, json_line(object));
    }
    tell_parent(to_parent, result_line(told));
    return told.exit_status;
}

std::string fitted(std::string text) {
    if (text.size() > LINE_WIDTH) text.resize(LINE_WIDTH);
    return text;
}

class ProgressShown {
public:
    ProgressShown(std::FILE* stream, std::size_t ports) : stream_(stream), live_(is_terminal_stream(stream)), ports_(ports) {}

    void show(std::vector<PortRun>& runs, Clock::time_point now, bool force) {
        if (live_) {
            if (!force && now < next_draw_) return;
            next_draw_ = now + DRAW_INTERVAL;
            if (drawn_) std::fprintf(stream_, "\033[%zuA", ports_);
            for (const PortRun& run : runs) {
                const double seconds = std::chrono::duration<double>(now - run.started).count();
                std::fprintf(stream_, "\r\033[K%s\n", fitted(progress_text(run.label, run.progress, seconds)).c_str());
            }
            drawn_ = true;
        } else {
            for (PortRun& run : runs) {
                if (!run.running) continue;
                const bool phase_changed = run.progress.phase != run.last_phase_told;
                if (!force && !phase_changed && now < run.next_plain_line) continue;
                run.last_phase_told = run.progress.phase;
                run.next_plain_line = now + PLAIN_LINE_INTERVAL;
                const double seconds = std::chrono::duration<double>(now - run.started).count();
                std::fprintf(stream_, "%s\n", progress_text(run.label, run.progress, seconds).c_str());
            }
        }
        std::fflush(stream_);
    }

private:
    std::FILE* stream_;
    bool live_;
    std::size_t ports_;
    bool drawn_ = false;
    Clock::time_point next_draw_{};
};

// Reads what the child has written; false once it has closed its end.
bool take_messages(PortRun& run) {
    std::string bytes;
    const bool open = read_from_child(run.child, bytes);
    run.from_child.add(bytes);
    while (auto next = run.from_child.next_line()) {
        const std::optional<ChildMessage> message = read_message(*next);
        if (!message) continue;
        if (const auto* progress = std::get_if<PortProgress>(&*message)) run.progress = *progress;
        if (const auto* result = std::get_if<PortResult>(&*message)) run.result = *result;
        if (const auto* json = std::get_if<PortJson>(&*message)) run.json = json->object;
    }
    return open;
}

// The ports' processes would otherwise all open the file at the same moment: a new
// file is made, checked and brought up to date here, once, before they start.
void prepare_records(const RunSettings& settings, std::FILE* shown) {
    const std::filesystem::path path =
        settings.records ? std::filesystem::path(*settings.records) : default_records_path();
    if (path.empty()) return;
    RecordsOpening opening = open_records(path);
    if (!opening.notice.empty()) std::fprintf(shown, "zizuvu: %s\n", opening.notice.c_str());
    if (opening.result.ok) close_records(opening.store);
}

// A child that ended without its result line crashed or was killed from outside.
PortResult result_of_lost_child(const PortRun& run, int status, bool signalled) {
    PortResult lost;
    lost.exit_status = signalled ? EXIT_SIGNAL : EXIT_DOWNLOAD_FAILED;
    lost.acknowledged = run.progress.acknowledged;
    lost.radio_serial = run.progress.radio_serial;
    lost.verdict = "the port's process ended without a verdict (status " + std::to_string(status) +
                   ") - the radio may not be fully programmed";
    return lost;
}

}  // namespace

int flash_radios(const RunSettings& settings, DownloadImage image) {
    std::vector<PortRun> runs = port_runs(settings);
    if (!install_signal_handlers()) {
        std::fputs("zizuvu: flash: the signal handlers could not be set up\n", stderr);
        return EXIT_USAGE;
    }
    std::FILE* const shown = settings.flash.json ? stderr : stdout;
    prepare_records(settings, shown);
    for (PortRun& run : runs) {
        std::string why_not;
        run.started = Clock::now();
        run.next_plain_line = run.started;
        std::optional<ChildProcess> child =
            start_child([&](int to_parent) { return flash_in_child(settings, image, run, to_parent); }, why_not);
        if (!child) {
            run.result = PortResult{};
            run.result->exit_status = run.exit_status = EXIT_DOWNLOAD_FAILED;
            run.result->verdict = why_not;
            continue;
        }
        run.child = *child;
        run.running = true;
    }

    ProgressShown progress(shown, runs.size());
    bool passed_on = false;
    for (;;) {
        std::vector<int> fds;
        for (const PortRun& run : runs) {
            if (run.running) fds.push_back(run.child.from_child);
        }
        if (fds.empty()) break;
        wait_for_readable(fds, DRAW_INTERVAL);
        // A signal to this process ends every port's download through its finish.
        if (termination_signal() != 0 && !passed_on) {
            for (const PortRun& run : runs) {
                if (run.running) ask_child_to_end(run.child.pid);
            }
            passed_on = true;
        }
        for (PortRun& run : runs) {
            if (!run.running) continue;
            if (take_messages(run)) continue;
            const int status = end_of_child(run.child.pid);
            run.running = false;
            if (!run.result) run.result = result_of_lost_child(run, status, passed_on);
            run.exit_status = run.result->exit_status;
        }
        progress.show(runs, Clock::now(), false);
    }
    progress.show(runs, Clock::now(), true);

    int worst = EXIT_DONE;
    for (const PortRun& run : runs) {
        std::fprintf(shown, "%s\n", summary_text(run.label, *run.result).c_str());
        if (settings.flash.json && !run.json.empty()) std::fprintf(stdout, "%s\n", run.json.c_str());
        worst = std::max(worst, run.exit_status);
    }
    std::fflush(nullptr);
    return worst;
}

}  // namespace zizuvu
