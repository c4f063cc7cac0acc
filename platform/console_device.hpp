#pragma once
// The console device of the platform the program runs on: the operator's terminal on
// Linux, the Win32 console on Windows, a script in tests. It shows the screen the
// program draws, hands over the keys typed, and blocks until there is something to do.
//
//   ConsoleIo                  the device seam
//   take_over_console          the platform's device for the run, or nothing with the
//                              reason; given back, as it was, when it is destroyed
//   end_as_termination_asked   after the device is given back: a run that a signal
//                              ended finishes the way that signal asks

#include <chrono>
#include <memory>
#include <string>

#include "platform/key_queue.hpp"
#include "platform/os_handle.hpp"
#include "platform/screen_cells.hpp"

namespace zizuvu {

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

std::unique_ptr<ConsoleIo> take_over_console(std::string& why_not);
void end_as_termination_asked();

}  // namespace zizuvu
