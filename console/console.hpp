#pragma once
// The console the program talks to: the screen model, the keys typed, and the
// device behind them (a terminal on Linux, the Win32 console, a script in tests).
//
//   Console          screen + keys + device (ConsoleIo, platform/console_device.hpp)
//   poll_key         the next key or an empty text, never waits
//   key_waiting      whether a key is there, consuming nothing
//   wait_for_key     block until key_waiting would say yes
//   wait_for_input   block until a key, the port or a termination request may be there
//   wait_for_input_or_time   the same without a port, for at most a given time
//   read_line        a typed line: echo, Backspace, Enter, at most 128 characters
//   beep, present_now, termination_requested
//
// Once termination is requested (SIGTERM, SIGHUP, the terminal gone) the keyboard
// answers every poll with Escape and every line with an empty one. Every screen of
// the program has Escape, any key or an empty line as its way back to the menu, and
// the menu ends on Escape, so the program leaves along its normal paths: ports
// closed, priority restored.

#include <array>
#include <chrono>
#include <string>

#include "console/screen.hpp"
#include "platform/console_device.hpp"
#include "platform/key_text.hpp"
#include "platform/os_handle.hpp"

namespace zizuvu {

struct Console {
    explicit Console(ConsoleIo& device) : io(device) {}

    ConsoleIo& io;
    Screen screen{80, 25};
    KeyQueue keys;
    std::chrono::steady_clock::time_point last_present{};
    // Asking the device for keys costs system calls; a loop that polls once per
    // received byte asks it at most once per KEY_READ_INTERVAL, and always right
    // after a wait, which is when keys are known to be there.
    std::chrono::steady_clock::time_point next_key_read{};
    bool waited = true;
};

inline constexpr std::size_t READ_LINE_LIMIT = 128;

KeyText poll_key(Console& console);
bool key_waiting(Console& console);
void wait_for_key(Console& console);
void wait_for_input(Console& console, OsHandle port = NO_OS_HANDLE);
void wait_for_input_or_time(Console& console, std::chrono::milliseconds limit);
std::string read_line(Console& console);
void beep(Console& console);
void present_now(Console& console);
bool termination_requested(const Console& console);

}  // namespace zizuvu
