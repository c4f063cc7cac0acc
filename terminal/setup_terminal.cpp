// Menu choice "2": the pass-through terminal to the radio's own setup menu. The
// screen shows what the radio sends, every key but "Q" and "q" goes to the radio,
// and "Q" or "q" goes back to the main menu.
//
// A device that is not there (not plugged in yet, or pulled out) is shown on the
// status bar and the terminal stays up: it tries the same port again now and then,
// with the same settings, and carries on on the same screen once the device is
// there. Keys typed meanwhile are refused with a beep; "Q" and "q" still leave.
//
// Keys typed faster than the line takes them (a paste) wait in the keyboard's own
// input while the transmit queue is full, and go on as the writer makes room; only
// a line that has taken nothing for a whole second refuses them, audibly, so that
// "Q" can always be reached.
#include <algorithm>
#include <chrono>
#include <string_view>

#include "session/error_indicator.hpp"
#include "session/status_row.hpp"
#include "terminal/setup_terminal.hpp"
#include "platform/port_io.hpp"
#include "serial/channel_wait.hpp"
#include "terminal/received_text.hpp"
#include "terminal/receiving.hpp"
#include "terminal/status_bar.hpp"
#include "terminal/terminal_capture.hpp"
#include "terminal/terminal_link.hpp"

namespace zizuvu {
namespace {

constexpr std::string_view TERMINAL_TITLE = "                   Varnello Radio Setup Screen";
using Clock = std::chrono::steady_clock;

// How often a device that is not there is looked for again: an adapter plugged in
// is in use within this, and the wait between tries costs nothing.
constexpr auto REOPEN_INTERVAL = std::chrono::milliseconds(500);
// A line that has taken nothing for this long while keys wait is held (flow control,
// a stuck adapter): from then on keys are refused with a beep until it moves again.
constexpr auto HELD_LINE_LIMIT = std::chrono::seconds(1);
// While keys wait for room, what the radio sends is looked at this often.
constexpr auto RECEIVE_LOOK_INTERVAL = std::chrono::milliseconds(20);
// F1 reaches the radio as this one byte rather than as 0 and its scan code.
constexpr std::uint8_t F1_BYTE = 255;

void draw_terminal_screen(Session& session) {
    Screen& screen = session.console.screen;
    clear_screen(screen);
    locate(screen, 1, 1);
    set_colors(screen, COLOR_YELLOW, COLOR_BLUE, SCREEN_COLUMNS);
    print_text(screen, TERMINAL_TITLE);
    draw_terminal_status(session);
    locate(screen, TEXT_TOP_ROW, 1);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
}

KeyText key_for_radio(KeyText key) {
    if (key.is_extended(SCAN_F1)) return character_key(F1_BYTE);
    return key;
}

// One terminal session: its link, its capture and what went each way.
struct TerminalRun {
    TerminalLink link;
    TerminalCapture capture;
    std::uint64_t bytes_received = 0;
};

// One received byte handled; false when there was none.
bool show_one_received(Session& session, TerminalRun& run, ReceivedBytes& received) {
    if (received.empty()) fetch_received(session, run.link.port_handle, received);
    if (received.empty()) return false;
    const std::uint8_t byte = take_received(received);
    ++run.bytes_received;
    show_pending_error(session);
    show_received_byte(session.console.screen, byte);
    run.capture.radio_byte(byte);
    return true;
}

bool is_quit_key(KeyText key) { return key.is('Q') || key.is('q'); }

// Whether the line takes what is queued while keys wait for room in the queue.
struct LineDrain {
    bool keys_waiting = false;
    std::int32_t queued = 0;
    Clock::time_point last_taken{};
};

// True once the line has taken nothing for HELD_LINE_LIMIT while keys waited.
bool line_held(const TransmitQueue& queue, LineDrain& drain) {
    const auto now = Clock::now();
    const std::int32_t queued = queue.count.load(std::memory_order_acquire);
    if (!drain.keys_waiting || queued < drain.queued) drain.last_taken = now;
    drain.keys_waiting = true;
    drain.queued = queued;
    return now - drain.last_taken >= HELD_LINE_LIMIT;
}

enum class KeyOutcome { none, handled, waits_for_room, leave };

// The next key typed, taken only when it fits the queue. "Q" or "q", or a
// termination request (every poll then answers Escape, which must not reach the
// radio), ends the terminal.
KeyOutcome take_key(Session& session, TerminalRun& run, LineDrain& drain) {
    TerminalLink& link = run.link;
    Console& console = session.console;
    if (!key_waiting(console)) return KeyOutcome::none;
    if (termination_requested(console)) return KeyOutcome::leave;
    const KeyText key = console.keys.front();
    if (is_quit_key(key)) {
        console.keys.pop();
        return KeyOutcome::leave;
    }
    if (queue_key(link.queue, key_for_radio(key))) {
        console.keys.pop();
        drain.keys_waiting = false;
        run.capture.key(key_for_radio(key));
        return KeyOutcome::handled;
    }
    if (!line_held(link.queue, drain)) return KeyOutcome::waits_for_room;
    console.keys.pop();
    beep(console);
    return KeyOutcome::handled;
}

// Keys wait for room: sleep until the writer makes some, the line has been held
// for the limit, or it is time to look at what the radio sent meanwhile.
void wait_for_line(Session& session, TerminalLink& link, const LineDrain& drain) {
    present_now(session.console);
    const auto held_left = std::chrono::ceil<std::chrono::milliseconds>(drain.last_taken + HELD_LINE_LIMIT - Clock::now());
    const auto limit = std::clamp(held_left, std::chrono::milliseconds(0), RECEIVE_LOOK_INTERVAL);
    wait_for_room(link.queue, key_for_radio(session.console.keys.front()).length, limit);
}

// The device went away: the operator hears and sees it at once (the failure on the
// indicator, once), and the writer stops before it could write to a dead handle.
void lose_port(Session& session, TerminalLink& link) {
    // The wait that found it gone records nothing; a look at the port does, and its
    // failure replaces any older one still waiting for a check point.
    bytes_waiting(session.channels, PORT_CHANNEL);
    show_pending_error(session);
    drop_terminal_link(session, link);
}

// Until the device is there (true) or the operator leaves (false). Only the
// keyboard is watched in between, with a time-out for the next try: nothing spins.
bool wait_for_port(Session& session, TerminalRun& run) {
    TerminalLink& link = run.link;
    run.capture.flush();
    show_port_missing_status(session);
    auto next_try = Clock::now() + REOPEN_INTERVAL;
    for (;;) {
        const KeyText key = poll_key(session.console);
        if (termination_requested(session.console) || is_quit_key(key)) return false;
        if (!key.empty()) {
            beep(session.console);
            continue;
        }
        const auto now = Clock::now();
        if (now >= next_try) {
            if (reopen_terminal_link(session, link)) {
                show_port_back_status(session);
                return true;
            }
            next_try = now + REOPEN_INTERVAL;
        }
        wait_for_input_or_time(session.console, std::chrono::ceil<std::chrono::milliseconds>(next_try - now));
    }
}

enum class TerminalEnd { operator_left, port_lost };

TerminalEnd run_on_port(Session& session, TerminalRun& run) {
    ReceivedBytes received;
    LineDrain drain;
    for (;;) {
        const bool byte_seen = show_one_received(session, run, received);
        const KeyOutcome key = take_key(session, run, drain);
        if (key == KeyOutcome::leave) return TerminalEnd::operator_left;
        if (byte_seen || key == KeyOutcome::handled) {
            run.capture.flush_if_due();
            continue;
        }
        run.capture.flush();
        if (key == KeyOutcome::waits_for_room) {
            if (port_gone(run.link.port_handle)) return TerminalEnd::port_lost;
            wait_for_line(session, run.link, drain);
            continue;
        }
        // Nothing from either side: sleep until the radio or the operator has something.
        if (wait_for_port_or_key(session.console, session.channels, PORT_CHANNEL, 1) == PortWaitEnd::port_gone) {
            return TerminalEnd::port_lost;
        }
    }
}

}  // namespace

void run_setup_terminal(Session& session, Terminal& terminal) {
    draw_terminal_screen(session);
    TerminalRun run{TerminalLink(terminal.transmit_storage), {}, 0};
    terminal.notice.clear();
    if (!terminal.capture.folder.empty()) {
        run.capture.open(terminal.capture, session.port_settings.port_name, terminal.notice);
    }
    std::string not_recorded;
    if (terminal.log != nullptr) {
        not_recorded = terminal.log->session_started(session.port_settings.port_name, run.capture.path());
    }
    bool on_port = open_terminal_link(session, run.link);
    for (;;) {
        if (!on_port && !wait_for_port(session, run)) break;
        if (run_on_port(session, run) == TerminalEnd::operator_left) break;
        lose_port(session, run.link);
        on_port = false;
    }
    close_terminal_link(session, run.link);
    run.capture.flush();
    if (terminal.log != nullptr) {
        const std::string ended = terminal.log->session_ended(run.bytes_received, run.link.queue.bytes_sent);
        if (not_recorded.empty()) not_recorded = ended;
    }
    if (!not_recorded.empty() && terminal.notice.empty()) terminal.notice = "not recorded: " + not_recorded;
}

}  // namespace zizuvu
