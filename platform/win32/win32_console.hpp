#pragma once
// The console on the Win32 console: the screen model written into the screen
// buffer cell by cell (WriteConsoleOutputA, so no byte is ever interpreted), the
// model's scrolls as ScrollConsoleScreenBufferA, keys from the console input
// events, waits that block on the keyboard, the termination event and the port
// together. What the take-over changed (modes, code pages, cursor) is put back
// when the device is destroyed.
//
// A reader thread takes the input events with ReadConsoleInputA as they come and
// signals an event: a wait on the console input handle itself does not wake under
// wine, whose console reads the terminal only for a read. The thread holds at
// most a bounded number of events, so that pasted text waits in the console.
//
//   Win32Console::take_over                the console of this process, or nothing with the reason
//   Win32Console::wait_for_input_or_bytes  block until a key, more than `known` received bytes
//                                          on the port, or termination

#include "platform/win32/windows_api.hpp"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/console_device.hpp"
#include "platform/win32/console_mirror.hpp"

namespace zizuvu {

class Win32Console final : public ConsoleIo {
public:
    static std::unique_ptr<Win32Console> take_over(std::string& why_not);
    ~Win32Console() override;
    Win32Console(const Win32Console&) = delete;
    Win32Console& operator=(const Win32Console&) = delete;

    void present(Screen& screen) override;
    void read_keys(KeyQueue& keys) override;
    void wait_for_input(OsHandle port) override;
    void wait_for_input_or_time(std::chrono::milliseconds limit) override;
    void beep() override;
    bool termination_requested() const override;

    void wait_for_input_or_bytes(OsHandle port, std::uint32_t known);

private:
    Win32Console(HANDLE input, HANDLE output);

    void set_size(int columns, int rows);
    void carry_out(const Screen& screen);
    void read_events();
    void stop_reader();

    HANDLE input_;
    HANDLE output_;
    HANDLE port_event_;
    DWORD original_input_mode_ = 0;
    DWORD original_output_mode_ = 0;
    UINT original_output_code_page_ = 0;
    UINT original_input_code_page_ = 0;
    CONSOLE_CURSOR_INFO original_cursor_{};
    DWORD cursor_size_ = 25;
    ConsoleMirror mirror_;
    ConsoleUpdate update_;
    std::vector<CHAR_INFO> cells_;

    HANDLE events_ready_;  // set while events_ holds any
    mutable std::mutex events_lock_;
    std::condition_variable events_room_;
    std::deque<INPUT_RECORD> events_;
    bool stopping_ = false;
    bool input_lost_ = false;
    std::thread reader_;
};

}  // namespace zizuvu
