#pragma once
// Around a system call that may touch a device: no system dialog box may stop the
// program (a port that went away, a drive not ready), and the call's own last error
// is what the caller reads afterwards. The mode is the calling thread's, so the
// terminal's writer thread and the main thread cannot undo each other's.
//
//   QuietErrorMode   SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX for its lifetime

#include "platform/win32/windows_api.hpp"

namespace zizuvu {

class QuietErrorMode {
public:
    QuietErrorMode() {
        SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_);
        SetLastError(0);
    }
    ~QuietErrorMode() {
        const DWORD error = GetLastError();
        SetThreadErrorMode(previous_, nullptr);
        SetLastError(error);
    }
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
    DWORD previous_ = 0;
};

}  // namespace zizuvu
