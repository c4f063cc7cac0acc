// Menu choice "2": the pass-through terminal to the radio's own setup menu. The
// screen shows what the radio sends, every key but "Q" and "q" goes to the radio,
// and "Q" or "q" goes back to the main menu.
//
// A device that goes away (a USB adapter pulled) is shown on the status bar at once
// and the terminal stays up: it opens the same port again now and then, with the
// same settings, and carries on on the same screen when the device is back. Keys
// typed meanwhile are refused with a beep; "Q" and "q" still leave.
#include <chrono>
#include <string_view>

#include "app/error_indicator.hpp"
#include "app/main_menu.hpp"
#include "app/procedures.hpp"
#include "platform/port_wait.hpp"
#include "terminal/received_text.hpp"
#include "terminal/receiving.hpp"
#include "terminal/status_bar.hpp"
#include "terminal/terminal_link.hpp"

namespace zizuvu {
namespace {

constexpr std::string_view TERMINAL_TITLE = "                   Varnello Radio Setup Screen";
// How often a device that went away is looked for again: an adapter plugged back in
// is in use again within this, and the wait between tries costs nothing.
constexpr auto REOPEN_INTERVAL = std::chrono::milliseconds(500);
// F1 reaches the radio as this one byte rather than as 0 and its scan code.
constexpr std::uint8_t F1_BYTE = 255;

void draw_terminal_screen(Program& program) {
    Screen& screen = program.console.screen;
    clear_screen(screen);
    locate(screen, 1, 1);
    set_colors(screen, COLOR_YELLOW, COLOR_BLUE, SCREEN_COLUMNS);
    print_text(screen, TERMINAL_TITLE);
    draw_terminal_status(program);
    locate(screen, TEXT_TOP_ROW, 1);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
}

KeyText key_for_radio(KeyText key) {
    if (key.is_extended(SCAN_F1)) return character_key(F1_BYTE);
    return key;
}

// One received byte handled; false when there was none.
bool show_one_received(Program& program, const TerminalLink& link, ReceivedBytes& received) {
    if (received.empty()) fetch_received(program, link.port_handle, received);
    if (received.empty()) return false;
    const std::uint8_t byte = take_received(received);
    show_pending_error(program);
    show_received_byte(program.console.screen, byte);
    return true;
}

// The keys typed while the terminal runs. Returns false once the terminal is to end:
// "Q" or "q", or a termination request (then every poll answers Escape, which must
// not reach the radio).
bool take_key(Program& program, TerminalLink& link, bool& key_seen) {
    const KeyText key = poll_key(program.console);
    key_seen = !key.empty();
    if (!key_seen) return true;
    if (termination_requested(program.console) || key.is('Q') || key.is('q')) return false;
    // A full queue keeps the operator's earlier keys; the new one is refused audibly.
    if (!queue_key(link.queue, key_for_radio(key))) beep(program.console);
    return true;
}

// The device went away: the operator hears and sees it at once (the failure on the
// indicator, once), and the writer stops before it could write to a dead handle.
void lose_port(Program& program, TerminalLink& link) {
    // The wait that found it gone records nothing; a look at the port does, and its
    // failure replaces any older one still waiting for a check point.
    bytes_waiting(program.channels, PORT_CHANNEL);
    show_pending_error(program);
    drop_terminal_link(program, link);
    show_port_gone_status(program);
}

// Until the device is back (true) or the operator leaves (false). Only the keyboard
// is watched in between, with a time-out for the next try: nothing spins.
bool wait_for_port_back(Program& program, TerminalLink& link) {
    using Clock = std::chrono::steady_clock;
    auto next_try = Clock::now() + REOPEN_INTERVAL;
    for (;;) {
        bool key_seen = false;
        if (!take_key(program, link, key_seen)) return false;
        if (key_seen) continue;
        const auto now = Clock::now();
        if (now >= next_try) {
            if (reopen_terminal_link(program, link)) {
                show_port_back_status(program);
                return true;
            }
            next_try = now + REOPEN_INTERVAL;
        }
        wait_for_input_or_time(program.console, std::chrono::ceil<std::chrono::milliseconds>(next_try - now));
    }
}

void run_terminal_loop(Program& program, TerminalLink& link) {
    ReceivedBytes received;
    for (;;) {
        const bool byte_seen = show_one_received(program, link, received);
        bool key_seen = false;
        if (!take_key(program, link, key_seen)) return;
        // Nothing from either side: sleep until the radio or the operator has something.
        if (byte_seen || key_seen) continue;
        if (wait_for_port_or_key(program.console, program.channels, PORT_CHANNEL, 1) == PortWaitEnd::port_gone) {
            lose_port(program, link);
            if (!wait_for_port_back(program, link)) return;
        }
    }
}

}  // namespace

void run_setup_terminal(Program& program) {
    draw_terminal_screen(program);
    TerminalLink link(program);
    open_terminal_link(program, link);
    run_terminal_loop(program, link);
    close_terminal_link(program, link);
}

}  // namespace zizuvu
