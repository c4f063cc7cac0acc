#include "platform/win32/termination_win32.hpp"

#include <atomic>

namespace zizuvu {
namespace {

// How long a close waits for the program to unwind before Windows may end it.
constexpr DWORD FINISH_WAIT_MS = 4000;

std::atomic<bool> seen{false};
HANDLE requested = nullptr;
HANDLE finished = nullptr;

BOOL WINAPI on_control(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            seen = true;
            SetEvent(requested);
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            seen = true;
            SetEvent(requested);
            WaitForSingleObject(finished, FINISH_WAIT_MS);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

bool install_termination_handler() {
    if (requested == nullptr) requested = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (finished == nullptr) finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (requested == nullptr || finished == nullptr) return false;
    return SetConsoleCtrlHandler(on_control, TRUE) != FALSE;
}

HANDLE termination_event() { return requested; }

bool termination_seen() { return seen; }

void note_program_finished() {
    if (finished != nullptr) SetEvent(finished);
}

void remove_termination_handler() { SetConsoleCtrlHandler(on_control, FALSE); }

}  // namespace zizuvu
