#pragma once
// Operating-system failures turned into the error numbers the status row shows.
// The numbers follow the meaning of the Win32 system error codes, so the same cause
// shows the same number on every platform: a missing file or device is 53, access
// denied or a port in use 70, and so on.
//
//   error_number_for_win32_code   the Win32 code table itself
//   error_number_for_errno        a POSIX errno, through the Win32 code of the same meaning

namespace zizuvu {

int error_number_for_win32_code(unsigned long code);
int error_number_for_errno(int error);

}  // namespace zizuvu
