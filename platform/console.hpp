#pragma once
// The console the program talks to: the screen model, the keys typed, and the
// device behind them (a terminal on Linux, the Win32 console, a script in tests).
//
//   ConsoleIo        the device seam
//   KeyQueue         keys decoded and not yet taken
//   Console          screen + keys + device
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

#include "platform/key_text.hpp"
#include "platform/os_handle.hpp"
#include "platform/screen.hpp"

namespace zizuvu {

class KeyQueue {
public:
    bool empty() const { return count_ == 0; }
    std::size_t size() const { return count_; }
    std::size_t room() const { return CAPACITY - count_; }
    // A full queue keeps the keys it has: the newest one is lost, never an older one.
    bool push(KeyText key);
    KeyText pop();
    const KeyText& front() const { return keys_[head_]; }

private:
    static constexpr std::size_t CAPACITY = 256;
    std::array<KeyText, CAPACITY> keys_{};
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

class ConsoleIo {
public:
    virtual ~ConsoleIo() = default;
    // Bring what the operator sees in line with the model.
    virtual void present(Screen& screen) = 0;
    // Move the keys that have arrived into the queue; never blocks.
    virtual void read_keys(KeyQueue& keys) = 0;
    // Block until keyboard input, a readable port (when one is given) or a
    // termination request may be there. It may return early; callers test again.
    virtual void wait_for_input(OsHandle port) = 0;
    // Block until keyboard input or a termination request may be there, or until
    // `limit` has passed, whichever comes first. It may return early; callers test
    // again. For a caller that has something of its own to do now and then (try a
    // port again) and must not spin meanwhile.
    virtual void wait_for_input_or_time(std::chrono::milliseconds limit) = 0;
    virtual void beep() = 0;
    virtual bool termination_requested() const = 0;
};

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
