#include "console/console.hpp"

namespace zizuvu {
namespace {

// Busy loops (a download between records, the terminal receiving) show their
// progress at this pace; every blocking wait shows everything first.
constexpr auto PRESENT_INTERVAL = std::chrono::milliseconds(20);
// A key typed while the terminal receives at full speed is seen within this time;
// no operator can tell, and the loop does not spend a system call on every byte.
constexpr auto KEY_READ_INTERVAL = std::chrono::microseconds(500);

void take_input(Console& console) {
    const auto now = std::chrono::steady_clock::now();
    if (console.waited || now >= console.next_key_read) {
        console.io.read_keys(console.keys);
        console.waited = false;
        console.next_key_read = now + KEY_READ_INTERVAL;
    }
    if (now - console.last_present >= PRESENT_INTERVAL) present_now(console);
}

void step_back_one_cell(Screen& screen) {
    if (screen.column > 0) {
        locate(screen, cursor_row(screen), cursor_column(screen) - 1);
    } else {
        locate(screen, cursor_row(screen) - 1, screen.width);
    }
}

}  // namespace

KeyText poll_key(Console& console) {
    if (termination_requested(console)) return character_key(KEY_ESCAPE);
    take_input(console);
    return console.keys.pop();
}

bool key_waiting(Console& console) {
    if (termination_requested(console)) return true;
    take_input(console);
    return !console.keys.empty();
}

void wait_for_input(Console& console, OsHandle port) {
    present_now(console);
    console.io.wait_for_input(port);
    console.waited = true;
}

void wait_for_input_or_time(Console& console, std::chrono::milliseconds limit) {
    present_now(console);
    console.io.wait_for_input_or_time(limit);
    console.waited = true;
}

void wait_for_key(Console& console) {
    while (!key_waiting(console)) wait_for_input(console);
}

std::string read_line(Console& console) {
    Screen& screen = console.screen;
    const bool was_visible = screen.cursor_visible;
    screen.cursor_visible = true;
    std::string line;
    for (;;) {
        wait_for_key(console);
        if (termination_requested(console)) {
            line.clear();
            break;
        }
        const KeyText key = poll_key(console);
        if (key.length != 1) continue;
        const std::uint8_t c = key.bytes[0];
        if (c == KEY_ENTER) {
            print_newline(screen);
            break;
        }
        if (c == KEY_BACKSPACE) {
            if (line.empty()) continue;
            step_back_one_cell(screen);
            const int row = cursor_row(screen);
            const int column = cursor_column(screen);
            print_text(screen, " ");
            locate(screen, row, column);
            line.pop_back();
            continue;
        }
        if (c < 32 || line.size() >= READ_LINE_LIMIT) continue;
        line.push_back(static_cast<char>(c));
        print_text(screen, std::string_view(&line.back(), 1));
    }
    screen.cursor_visible = was_visible;
    return line;
}

void beep(Console& console) { console.io.beep(); }

void present_now(Console& console) {
    console.io.present(console.screen);
    console.last_present = std::chrono::steady_clock::now();
}

bool termination_requested(const Console& console) { return console.io.termination_requested(); }

}  // namespace zizuvu
