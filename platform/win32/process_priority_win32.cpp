#include "platform/win32/windows_api.hpp"

#include <mutex>

#include "platform/process_priority.hpp"

namespace zizuvu {
namespace {

struct SavedPriority {
    std::mutex lock;
    bool raised = false;
    DWORD priority_class = NORMAL_PRIORITY_CLASS;
};

SavedPriority& saved_priority() {
    static SavedPriority saved;
    return saved;
}

}  // namespace

void set_process_priority(PriorityClass priority) {
    SavedPriority& saved = saved_priority();
    const std::lock_guard lock(saved.lock);
    const DWORD saved_error = GetLastError();
    const HANDLE process = GetCurrentProcess();
    if (priority == PriorityClass::raised && !saved.raised) {
        const DWORD now = GetPriorityClass(process);
        saved.priority_class = now != 0 ? now : NORMAL_PRIORITY_CLASS;
        // Without the right to real time, Windows gives the highest class allowed.
        SetPriorityClass(process, REALTIME_PRIORITY_CLASS);
        saved.raised = true;
    } else if (priority == PriorityClass::normal && saved.raised) {
        SetPriorityClass(process, saved.priority_class);
        saved.raised = false;
    }
    SetLastError(saved_error);
}

// Windows keeps no such request for a program: its power plan decides.
void keep_processors_awake(bool /*keep*/) {}

}  // namespace zizuvu
