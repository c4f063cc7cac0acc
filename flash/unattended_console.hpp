#pragma once
// The operator's part of a download, played by a policy, for unattended flashing. The
// download procedures run unchanged on this console device: it types their opening
// answers, answers each question as its retry key would, gives a byte up after a
// number of failed attempts in a row, gives the radio a time to answer its
// identification and its erase, and notices a device that went away.
//
//   UnattendedPolicy    attempts per byte, the wait for the radio, the silence taken for a stall
//   opening_answers     the lines the procedure's opening questions are given
//   UnattendedConsole   the console device: keys from the policy, progress to a sink
//     radio_did_not_answer   the policy gave up a wait for the radio

#include <chrono>
#include <functional>
#include <string>

#include "download/download_report.hpp"
#include "platform/console_device.hpp"
#include "settings/command_line.hpp"

namespace zizuvu {

struct UnattendedPolicy {
    unsigned attempts = 3;                               // tries at one byte, the first included
    std::chrono::milliseconds radio_wait{60'000};        // identification and erase
    std::chrono::milliseconds stall_after{2'000};        // silence in the programming phase
};

std::string opening_answers(FlashRadio radio, bool high_speed, bool firmware_before_545);

class UnattendedConsole final : public ConsoleIo {
public:
    using Clock = std::chrono::steady_clock;
    // Told of the download's course at most every `progress_interval`, and at each
    // change of phase.
    using ProgressSink = std::function<void(const DownloadReport&)>;

    UnattendedConsole(DownloadReport& report, std::string answers, UnattendedPolicy policy, ProgressSink progress,
                      std::chrono::milliseconds progress_interval = std::chrono::milliseconds(250));

    void present(Screen& screen) override;
    void read_keys(KeyQueue& keys) override;
    void wait_for_input(OsHandle port) override;
    void wait_for_input_or_time(std::chrono::milliseconds limit) override;
    void beep() override {}
    bool termination_requested() const override;

    bool radio_did_not_answer() const { return radio_silent_; }

private:
    struct Marker {
        DownloadPhase phase = DownloadPhase::asking;
        long acknowledged = 0;
        std::uint16_t address = 0;
        int raised = 0;
        friend bool operator==(const Marker&, const Marker&) = default;
    };

    void wait(OsHandle port, std::chrono::milliseconds most);
    void note_course(Clock::time_point now);
    void decide(Clock::time_point now, bool port_watched);
    void answer_question();
    Clock::time_point next_deadline() const;

    DownloadReport& report_;
    std::string pending_;  // keys not yet handed over, in order
    UnattendedPolicy policy_;
    ProgressSink progress_;
    std::chrono::milliseconds progress_interval_;
    Clock::time_point next_progress_{};
    Marker marker_{};
    Clock::time_point phase_since_;
    Clock::time_point quiet_since_;
    OsHandle last_port_ = NO_OS_HANDLE;
    int answered_ = 0;          // questions raised that have had their answer
    unsigned failures_ = 0;     // questions in a row at failure_address_
    std::uint16_t failure_address_ = 0;
    bool moved_ = true;  // the download went on since the policy last looked
    bool line_lost_ = false;
    bool radio_silent_ = false;
};

}  // namespace zizuvu
