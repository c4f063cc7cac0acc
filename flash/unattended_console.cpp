#include "flash/unattended_console.hpp"

#include <algorithm>
#include <array>
#include <numeric>

#include "platform/linux/readable_wait.hpp"
#include "platform/linux/termination_signals.hpp"
#include "platform/port_io.hpp"

namespace zizuvu {
namespace {

// The keys an operator would press. Enter interrupts a wait that has stalled, as the
// programming screen tells the operator to; "Y" is every question's retry.
constexpr char STALL_KEY = '\r';
constexpr char RETRY_KEY = 'Y';
constexpr char ANY_KEY = '\r';
constexpr char ESCAPE = static_cast<char>(KEY_ESCAPE);

int questions_raised(const DownloadReport& report) {
    return std::accumulate(report.questions.begin(), report.questions.end(), 0,
                           [](int sum, const QuestionCounts& counts) { return sum + counts.raised; });
}

// The X.71-and-older download can only pass a mismatched byte over: unattended, it ends.
bool only_passing_over_goes_on(const DownloadReport& report, QuestionKind kind) {
    return report.procedure == DownloadProcedure::older &&
           (kind == QuestionKind::wrong_address_echo || kind == QuestionKind::wrong_data);
}

}  // namespace

std::string opening_answers(FlashRadio radio, bool high_speed, bool firmware_before_545) {
    std::string speed = high_speed ? "Y\r" : "N\r";
    switch (radio) {
        case FlashRadio::older: return (firmware_before_545 ? "N\r" : "Y\r") + speed;
        case FlashRadio::retry: return speed;
        case FlashRadio::current: break;
    }
    return "Y\r" + speed;  // the radio is in setup
}

UnattendedConsole::UnattendedConsole(DownloadReport& report, std::string answers, UnattendedPolicy policy,
                                     ProgressSink progress, std::chrono::milliseconds progress_interval)
    : report_(report),
      pending_(std::move(answers)),
      policy_(policy),
      progress_(std::move(progress)),
      progress_interval_(progress_interval),
      phase_since_(Clock::now()),
      quiet_since_(phase_since_) {}

void UnattendedConsole::present(Screen& /*screen*/) {
    // Called at every wait of the exchange: a clock read and a comparison, no more.
    const Clock::time_point now = Clock::now();
    const bool phase_changed = report_.phase != marker_.phase;
    note_course(now);
    if (!progress_ || (!phase_changed && now < next_progress_)) return;
    next_progress_ = now + progress_interval_;
    progress_(report_);
}

void UnattendedConsole::read_keys(KeyQueue& keys) {
    std::size_t taken = 0;
    while (taken < pending_.size() && keys.room() > 0) {
        keys.push(character_key(static_cast<std::uint8_t>(pending_[taken])));
        ++taken;
    }
    pending_.erase(0, taken);
}

void UnattendedConsole::wait_for_input(OsHandle port) { wait(port, std::chrono::milliseconds::max()); }

void UnattendedConsole::wait_for_input_or_time(std::chrono::milliseconds limit) { wait(NO_OS_HANDLE, limit); }

bool UnattendedConsole::termination_requested() const { return termination_signal() != 0; }

void UnattendedConsole::wait(OsHandle port, std::chrono::milliseconds most) {
    if (port != NO_OS_HANDLE) last_port_ = port;
    Clock::time_point now = Clock::now();
    note_course(now);
    decide(now, port != NO_OS_HANDLE);
    if (!pending_.empty() || termination_requested()) return;
    const auto until_deadline =
        std::chrono::ceil<std::chrono::milliseconds>(std::max(next_deadline() - now, Clock::duration::zero()));
    const int fds[1] = {port == NO_OS_HANDLE ? -1 : static_cast<int>(port)};
    // The radio's answer is the download's to read; the policy looks again on its next wait.
    if (wait_for_readable(fds, std::min(most, until_deadline))) return;
    now = Clock::now();
    note_course(now);
    decide(now, false);
}

// Anything the download does (a byte through, a question, a new phase) ends a silence.
void UnattendedConsole::note_course(Clock::time_point now) {
    const Marker seen{report_.phase, report_.bytes_acknowledged, report_.address, questions_raised(report_)};
    moved_ = seen != marker_;
    if (!moved_) return;
    if (seen.phase != marker_.phase) phase_since_ = now;
    marker_ = seen;
    quiet_since_ = now;
}

UnattendedConsole::Clock::time_point UnattendedConsole::next_deadline() const {
    switch (report_.phase) {
        case DownloadPhase::identifying:
        case DownloadPhase::erasing: return phase_since_ + policy_.radio_wait;
        case DownloadPhase::programming: return quiet_since_ + policy_.stall_after;
        default: break;
    }
    // Nothing of the policy's is due: look again now and then all the same.
    return Clock::now() + std::chrono::seconds(1);
}

// port_watched: the download is about to wait on the port, which a device gone away
// ends at once; the download's own look then finds it gone and waits for keys alone,
// and that wait is where the policy asks.
void UnattendedConsole::decide(Clock::time_point now, bool port_watched) {
    if (!pending_.empty() || termination_requested()) return;
    if (report_.open_question) {
        if (answered_ < questions_raised(report_)) answer_question();
        return;
    }
    switch (report_.phase) {
        case DownloadPhase::asking:
            // A question the answers did not foresee: Enter, which leaves every one of them.
            pending_ = ANY_KEY;
            return;
        case DownloadPhase::identifying:
        case DownloadPhase::erasing:
            if (last_port_ != NO_OS_HANDLE && port_gone(last_port_)) {
                pending_ = ESCAPE;
            } else if (now >= phase_since_ + policy_.radio_wait) {
                radio_silent_ = true;
                pending_ = ESCAPE;
            }
            return;
        case DownloadPhase::programming:
            // Between bytes that go through the device is plainly there: no need to ask.
            if (!moved_ && !port_watched && last_port_ != NO_OS_HANDLE && port_gone(last_port_)) {
                line_lost_ = true;
                pending_ = ESCAPE;
            } else if (now >= quiet_since_ + policy_.stall_after) {
                pending_ = STALL_KEY;
                quiet_since_ = now;
            }
            return;
        case DownloadPhase::finished:
            pending_ = ANY_KEY;  // "Hit any key to return to main menu"
            return;
        case DownloadPhase::linking: return;
    }
}

void UnattendedConsole::answer_question() {
    answered_ = questions_raised(report_);
    if (failures_ > 0 && report_.address == failure_address_) {
        ++failures_;
    } else {
        failures_ = 1;
        failure_address_ = report_.address;
    }
    if (last_port_ != NO_OS_HANDLE && port_gone(last_port_)) line_lost_ = true;
    const bool give_up = line_lost_ || failures_ >= policy_.attempts ||
                         only_passing_over_goes_on(report_, *report_.open_question);
    if (give_up && !line_lost_) report_.attempts_exhausted = true;
    pending_ = give_up ? ESCAPE : RETRY_KEY;
}

}  // namespace zizuvu
