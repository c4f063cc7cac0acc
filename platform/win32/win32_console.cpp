#include "platform/win32/win32_console.hpp"

#include <algorithm>

#include "platform/console_device.hpp"
#include "platform/win32/key_translation.hpp"
#include "platform/win32/port_status.hpp"
#include "platform/win32/termination_win32.hpp"

namespace zizuvu {
namespace {

// The console's own code page, in which every byte 0..255 has its glyph.
constexpr UINT CODE_PAGE_437 = 437;
constexpr DWORD OUTPUT_MODE = ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT;
constexpr DWORD EVENTS_PER_READ = 64;
// Events taken from the console and not yet translated: a burst of pasted text
// beyond this waits in the console.
constexpr std::size_t EVENTS_HELD = 1024;

bool is_console(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != FALSE;
}

ConsoleKeyEvent key_event_of(const KEY_EVENT_RECORD& record) {
    ConsoleKeyEvent event;
    event.key_down = record.bKeyDown != FALSE;
    event.scan_code = record.wVirtualScanCode;
    event.character = static_cast<std::uint8_t>(record.uChar.AsciiChar);
    event.control_state = record.dwControlKeyState;
    event.virtual_key = record.wVirtualKeyCode;
    return event;
}

SHORT as_short(int value) { return static_cast<SHORT>(value); }

}  // namespace

std::unique_ptr<Win32Console> Win32Console::take_over(std::string& why_not) {
    const HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE || !is_console(input)) {
        if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
        why_not = "the keyboard is not a console";
        return nullptr;
    }
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!is_console(output)) output = GetStdHandle(STD_ERROR_HANDLE);
    if (!is_console(output)) {
        CloseHandle(input);
        why_not = "the screen is not a console";
        return nullptr;
    }
    if (!install_termination_handler()) {
        CloseHandle(input);
        why_not = "cannot watch for the console being closed";
        return nullptr;
    }
    std::unique_ptr<Win32Console> console(new Win32Console(input, output));
    if (!console->reader_.joinable()) {
        why_not = "cannot watch the keyboard";
        return nullptr;
    }
    return console;
}

Win32Console::Win32Console(HANDLE input, HANDLE output)
    : input_(input),
      output_(output),
      port_event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      events_ready_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    GetConsoleMode(input_, &original_input_mode_);
    GetConsoleMode(output_, &original_output_mode_);
    original_output_code_page_ = GetConsoleOutputCP();
    original_input_code_page_ = GetConsoleCP();
    SetConsoleOutputCP(CODE_PAGE_437);
    SetConsoleCP(CODE_PAGE_437);
    SetConsoleMode(output_, OUTPUT_MODE);
    // No line editing, no echo, no processed input: Ctrl+C is the key 3.
    SetConsoleMode(input_, 0);
    if (GetConsoleCursorInfo(output_, &original_cursor_) != FALSE && original_cursor_.dwSize != 0) {
        cursor_size_ = original_cursor_.dwSize;
    } else {
        original_cursor_ = CONSOLE_CURSOR_INFO{1, TRUE};
        cursor_size_ = 1;
        SetConsoleCursorInfo(output_, &original_cursor_);
    }
    if (events_ready_ != nullptr && port_event_ != nullptr) reader_ = std::thread([this] { read_events(); });
}

Win32Console::~Win32Console() {
    stop_reader();
    SetConsoleCursorInfo(output_, &original_cursor_);
    SetConsoleTextAttribute(output_, 0x07);
    SetConsoleMode(input_, original_input_mode_);
    SetConsoleMode(output_, original_output_mode_);
    if (original_output_code_page_ != 0) SetConsoleOutputCP(original_output_code_page_);
    if (original_input_code_page_ != 0) SetConsoleCP(original_input_code_page_);
    if (port_event_ != nullptr) CloseHandle(port_event_);
    if (events_ready_ != nullptr) CloseHandle(events_ready_);
    CloseHandle(input_);
    note_program_finished();
    remove_termination_handler();
}

void Win32Console::set_size(int columns, int rows) {
    // The buffer may not be smaller than the window, nor the window larger than the
    // buffer: grow the buffer, fit the window, then cut the buffer to size. Where the
    // console cannot be that large the program runs in what it allows.
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(output_, &info) == FALSE) return;
    const COORD larger{as_short(std::max<int>(info.dwSize.X, columns)), as_short(std::max<int>(info.dwSize.Y, rows))};
    SetConsoleScreenBufferSize(output_, larger);
    const SMALL_RECT window{0, 0, as_short(columns - 1), as_short(rows - 1)};
    SetConsoleWindowInfo(output_, TRUE, &window);
    SetConsoleScreenBufferSize(output_, COORD{as_short(columns), as_short(rows)});
}

void Win32Console::carry_out(const Screen& screen) {
    if (update_.resize) set_size(update_.width, update_.height);
    for (const RowScroll& scroll : update_.scrolls) {
        const SMALL_RECT region{0, as_short(scroll.top), as_short(update_.width - 1), as_short(scroll.bottom)};
        const COORD destination{0, as_short(scroll.top - scroll.lines)};
        CHAR_INFO fill{};
        fill.Char.AsciiChar = ' ';
        fill.Attributes = 0x07;
        ScrollConsoleScreenBufferA(output_, &region, &region, destination, &fill);
    }
    for (const ConsoleSegment& segment : update_.segments) {
        cells_.resize(static_cast<std::size_t>(segment.count));
        const Cell* model =
            &screen.cells[static_cast<std::size_t>(segment.row) * static_cast<std::size_t>(screen.width) +
                          static_cast<std::size_t>(segment.column)];
        for (int i = 0; i < segment.count; ++i) {
            cells_[static_cast<std::size_t>(i)].Char.AsciiChar = static_cast<CHAR>(model[i].glyph);
            cells_[static_cast<std::size_t>(i)].Attributes = model[i].attribute;
        }
        SMALL_RECT target{as_short(segment.column), as_short(segment.row),
                          as_short(segment.column + segment.count - 1), as_short(segment.row)};
        WriteConsoleOutputA(output_, cells_.data(), COORD{as_short(segment.count), 1}, COORD{0, 0}, &target);
    }
    if (update_.move_cursor) {
        SetConsoleCursorPosition(output_, COORD{as_short(update_.cursor_column), as_short(update_.cursor_row)});
    }
    if (update_.change_cursor_visibility) {
        const CONSOLE_CURSOR_INFO cursor{cursor_size_, update_.cursor_visible ? TRUE : FALSE};
        SetConsoleCursorInfo(output_, &cursor);
    }
}

void Win32Console::present(Screen& screen) {
    mirror_.plan(screen, update_);
    carry_out(screen);
}

void Win32Console::read_events() {
    std::vector<INPUT_RECORD> batch(EVENTS_PER_READ);
    for (;;) {
        {
            std::unique_lock lock(events_lock_);
            events_room_.wait(lock, [this] { return stopping_ || events_.size() + EVENTS_PER_READ <= EVENTS_HELD; });
            if (stopping_) return;
        }
        DWORD got = 0;
        if (ReadConsoleInputA(input_, batch.data(), EVENTS_PER_READ, &got) == FALSE) {
            // The console is gone: nothing will be typed again.
            const std::lock_guard lock(events_lock_);
            input_lost_ = true;
            SetEvent(events_ready_);
            return;
        }
        const std::lock_guard lock(events_lock_);
        if (stopping_) return;
        events_.insert(events_.end(), batch.begin(), batch.begin() + got);
        if (!events_.empty()) SetEvent(events_ready_);
    }
}

void Win32Console::stop_reader() {
    if (!reader_.joinable()) return;
    {
        const std::lock_guard lock(events_lock_);
        stopping_ = true;
    }
    events_room_.notify_all();
    // An event of our own ends the reader's ReadConsoleInputA.
    INPUT_RECORD wake{};
    wake.EventType = FOCUS_EVENT;
    DWORD written = 0;
    WriteConsoleInputA(input_, &wake, 1, &written);
    reader_.join();
}

void Win32Console::read_keys(KeyQueue& keys) {
    const std::lock_guard lock(events_lock_);
    // An event is taken only when its key has room in the queue; the rest wait here.
    while (!events_.empty()) {
        const INPUT_RECORD& record = events_.front();
        if (record.EventType == KEY_EVENT) {
            const ConsoleKeyEvent event = key_event_of(record.Event.KeyEvent);
            if (!is_skipped_event(event)) {
                if (keys.room() == 0) break;
                keys.push(translate_key(event));
            }
        }
        events_.pop_front();
    }
    if (events_.empty() && !input_lost_) ResetEvent(events_ready_);
    events_room_.notify_one();
}

void Win32Console::wait_for_input(OsHandle port) { wait_for_input_or_bytes(port, 0); }

void Win32Console::wait_for_input_or_time(std::chrono::milliseconds limit) {
    if (termination_requested()) return;
    const HANDLE handles[2] = {events_ready_, termination_event()};
    const auto milliseconds = std::clamp<std::chrono::milliseconds::rep>(limit.count(), 0, INFINITE - 1);
    WaitForMultipleObjects(2, handles, FALSE, static_cast<DWORD>(milliseconds));
}

void Win32Console::wait_for_input_or_bytes(OsHandle port, std::uint32_t known) {
    if (termination_requested()) return;
    HANDLE handles[3] = {events_ready_, termination_event(), port_event_};
    DWORD count = 2;
    const HANDLE device = reinterpret_cast<HANDLE>(port);
    OVERLAPPED overlapped{};
    bool pending = false;
    if (port != NO_OS_HANDLE && port_event_ != nullptr) {
        overlapped.hEvent = port_event_;
        DWORD happened = 0;
        if (WaitCommEvent(device, &happened, &overlapped) != FALSE) return;
        // Anything but a wait in progress (the device gone, not a port): the caller looks.
        if (GetLastError() != ERROR_IO_PENDING) return;
        pending = true;
        // Bytes that came before the wait began would not end it.
        CommStatus status;
        if (!peek_port_status(port, status) || status.bytes_in_queue > known || status.errors != 0) {
            count = 0;
        } else {
            count = 3;
        }
    }
    if (count > 0) WaitForMultipleObjects(count, handles, FALSE, INFINITE);
    if (pending) {
        if (!HasOverlappedIoCompleted(&overlapped)) {
            // A new mask ends the wait in progress.
            SetCommMask(device, EV_RXCHAR);
            CancelIoEx(device, &overlapped);
        }
        DWORD ignored = 0;
        GetOverlappedResult(device, &overlapped, &ignored, TRUE);
    }
}

void Win32Console::beep() { MessageBeep(0xFFFFFFFF); }

bool Win32Console::termination_requested() const {
    if (termination_seen()) return true;
    const std::lock_guard lock(events_lock_);
    return input_lost_;
}

std::unique_ptr<ConsoleIo> take_over_console(std::string& why_not) { return Win32Console::take_over(why_not); }

// A console control event ends the program along its normal paths with exit code 0.
void end_as_termination_asked() {}

}  // namespace zizuvu
