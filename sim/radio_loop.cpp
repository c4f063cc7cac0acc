#include "sim/radio_loop.hpp"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <deque>
#include <fstream>

#include "sim/injection.hpp"
#include "sim/radio_pty.hpp"
#include "sim/wire_log.hpp"

namespace zizuvu::sim {
namespace {

std::int64_t monotonic_ns() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

struct RadioRun {
    explicit RadioRun(const RadioOptions& chosen) : options(chosen) {
        radio.settings = options.settings;
        pacer.enabled = options.pace;
    }
    const RadioOptions& options;
    Radio radio;
    RadioPty pty;
    Injection injection;
    Pacer pacer;
    WireLog log;
    std::deque<QueuedByte> writing;  // due, not yet taken by the pseudo-terminal
    int signals = -1;
    bool away = false;
    std::int64_t reappear_at_ns = NO_DEADLINE;
    bool ending = false;
};

void pass_on_notes(RadioRun& run, std::int64_t now) {
    for (const std::string& text : run.radio.notes) {
        log_note(run.log, now, text);
        if (text.rfind("violation", 0) == 0) std::fprintf(stderr, "zizuvu-radio: %s\n", text.c_str());
    }
    run.radio.notes.clear();
}

LineState line_now(const RadioRun& run, std::int64_t now) {
    return {now, run.away ? 0 : line_speed(run.pty), answer_pending(run.pacer) || !run.writing.empty()};
}

void queue_outbox(RadioRun& run, const LineState& line) {
    if (run.radio.outbox.empty()) return;
    if (!run.away) queue_answer(run.pacer, run.radio.outbox, line.now_ns, line.baud);
    run.radio.outbox.clear();
}

void send_injected(RadioRun& run) {
    const std::string bytes = take_injected(run.injection);
    if (bytes.empty() || run.away) return;
    const std::int64_t now = monotonic_ns();
    send(run.radio, bytes);
    note(run.radio, "injected " + std::to_string(bytes.size()) + " bytes");
    pass_on_notes(run, now);
    queue_outbox(run, line_now(run, now));
}

void write_due(RadioRun& run, std::int64_t now) {
    take_due(run.pacer, now, run.writing);
    while (!run.writing.empty() && !run.away) {
        std::uint8_t bytes[512];
        std::size_t count = 0;
        while (count < sizeof bytes && count < run.writing.size()) {
            bytes[count] = run.writing[count].byte;
            ++count;
        }
        const ssize_t written = write(run.pty.master, bytes, count);
        if (written <= 0) {
            if (written < 0 && errno == EAGAIN) return;  // the line is full: wait for POLLOUT
            run.writing.clear();
            return;
        }
        const std::int64_t at = monotonic_ns();
        for (ssize_t i = 0; i < written; ++i) {
            log_byte(run.log, at, true, run.writing.front().byte, run.writing.front().baud);
            run.writing.pop_front();
        }
    }
}

void read_line(RadioRun& run) {
    std::uint8_t buffer[512];
    const ssize_t got = read(run.pty.master, buffer, sizeof buffer);
    if (got <= 0) return;
    const LineState first = line_now(run, monotonic_ns());
    for (ssize_t i = 0; i < got; ++i) {
        LineState line = first;
        line.answer_pending = answer_pending(run.pacer) || !run.writing.empty() || !run.radio.outbox.empty();
        log_byte(run.log, line.now_ns, false, buffer[i], line.baud);
        pace_received(run.pacer, line.now_ns, line.baud);
        radio_receive(run.radio, buffer[i], line);
        pass_on_notes(run, line.now_ns);
        queue_outbox(run, line);
    }
}

bool write_dump(RadioRun& run) {
    if (run.options.dump.empty()) return true;
    const std::string partial = run.options.dump + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << memory_as_intel_hex(run.radio.memory);
        if (!out) return false;
    }
    return std::rename(partial.c_str(), run.options.dump.c_str()) == 0;
}

void dump_and_summarise(RadioRun& run) {
    if (!write_dump(run)) std::fprintf(stderr, "zizuvu-radio: cannot write %s\n", run.options.dump.c_str());
    const std::string summary = summary_text(run.radio);
    std::fputs(summary.c_str(), stderr);
    std::fflush(stderr);
}

bool come_up(RadioRun& run) {
    std::string why_not;
    if (!open_radio_pty(run.pty, why_not)) {
        std::fprintf(stderr, "zizuvu-radio: %s\n", why_not.c_str());
        return false;
    }
    if (!run.options.link.empty() && !publish_link(run.options.link, run.pty.path, why_not)) {
        std::fprintf(stderr, "zizuvu-radio: %s\n", why_not.c_str());
        close_radio_pty(run.pty);
        return false;
    }
    run.away = false;
    run.reappear_at_ns = NO_DEADLINE;
    std::printf("%s\n", run.pty.path.c_str());
    std::fflush(stdout);
    log_note(run.log, monotonic_ns(), "line up at " + run.pty.path);
    return true;
}

void go_away(RadioRun& run, std::int64_t now) {
    if (!run.options.link.empty()) unpublish_link(run.options.link, run.pty.path);
    log_note(run.log, now, "line gone (" + run.pty.path + " closed)");
    close_radio_pty(run.pty);
    run.away = true;
    run.pacer.queue.clear();
    run.writing.clear();
    if (run.options.reappear_after_ms >= 0) run.reappear_at_ns = now + run.options.reappear_after_ms * NS_PER_MS;
}

void take_signals(RadioRun& run) {
    signalfd_siginfo info{};
    while (read(run.signals, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        switch (info.ssi_signo) {
            case SIGUSR1: dump_and_summarise(run); break;
            case SIGUSR2:
                if (run.away) {
                    if (!come_up(run)) run.ending = true;
                } else {
                    go_away(run, monotonic_ns());
                }
                break;
            default: run.ending = true; break;
        }
    }
}

// A paced answer is due at a given microsecond, and waking from ppoll on these machines
// comes up to about a hundred microseconds late: the loop wakes early and spins the
// rest (measured: 60 us early left 50-70 us per data byte on the table, 150 us none).
constexpr std::int64_t PACING_SPIN_NS = 150'000;

void finish_pacing_wait(const RadioRun& run) {
    const std::int64_t due = next_due(run.pacer);
    if (due == NO_DEADLINE || run.away) return;
    std::int64_t now = monotonic_ns();
    if (due - now > PACING_SPIN_NS) return;
    while (now < due) now = monotonic_ns();
}

timespec wait_until(std::int64_t deadline, std::int64_t now) {
    const std::int64_t left = std::max<std::int64_t>(0, deadline - now);
    return {static_cast<time_t>(left / 1'000'000'000LL), static_cast<long>(left % 1'000'000'000LL)};
}

bool set_up_signals(RadioRun& run) {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2}) sigaddset(&set, s);
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return false;
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, nullptr);
    run.signals = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    return run.signals >= 0;
}

void serve(RadioRun& run) {
    while (!run.ending) {
        std::int64_t now = monotonic_ns();
        const std::int64_t paced = next_due(run.pacer);
        const std::int64_t deadline = std::min(
            {radio_deadline(run.radio), paced == NO_DEADLINE ? paced : paced - PACING_SPIN_NS, run.reappear_at_ns});
        // A descriptor of -1 (no injection pipe) is passed over by ppoll.
        pollfd fds[3] = {{run.signals, POLLIN, 0}, {run.injection.fd, POLLIN, 0}, {run.pty.master, POLLIN, 0}};
        if (!run.writing.empty()) fds[2].events |= POLLOUT;
        const nfds_t count = run.away ? 2 : 3;
        const timespec timeout = wait_until(deadline, now);
        if (ppoll(fds, count, deadline == NO_DEADLINE ? nullptr : &timeout, nullptr) < 0 && errno != EINTR) break;
        if ((fds[0].revents & POLLIN) != 0) take_signals(run);
        if (run.ending) break;
        if (!run.away && (fds[2].revents & POLLIN) != 0) read_line(run);
        if ((fds[1].revents & POLLIN) != 0) send_injected(run);
        now = monotonic_ns();
        if (run.away && now >= run.reappear_at_ns && !come_up(run)) break;
        if (now >= radio_deadline(run.radio)) {
            const LineState line = line_now(run, now);
            radio_tick(run.radio, line);
            pass_on_notes(run, now);
            queue_outbox(run, line);
        }
        finish_pacing_wait(run);
        write_due(run, monotonic_ns());
        flush_wire_log(run.log);
    }
}

}  // namespace

int run_radio(const RadioOptions& options) {
    RadioRun run(options);
    if (!options.log.empty() && !open_wire_log(run.log, options.log)) {
        std::fprintf(stderr, "zizuvu-radio: cannot write %s\n", options.log.c_str());
        return 1;
    }
    if (!set_up_signals(run)) {
        std::fprintf(stderr, "zizuvu-radio: cannot watch its signals\n");
        return 1;
    }
    std::string why_not;
    if (!options.inject.empty() && !open_injection(run.injection, options.inject, why_not)) {
        std::fprintf(stderr, "zizuvu-radio: %s\n", why_not.c_str());
        return 1;
    }
    if (!come_up(run)) {
        close_injection(run.injection);
        return 1;
    }
    serve(run);
    pass_on_notes(run, monotonic_ns());
    dump_and_summarise(run);
    if (!run.away && !options.link.empty()) unpublish_link(options.link, run.pty.path);
    close_radio_pty(run.pty);
    close_injection(run.injection);
    close_wire_log(run.log);
    return 0;
}

}  // namespace zizuvu::sim
