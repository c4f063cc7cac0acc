#include "platform/system_error_map.hpp"

#include <cerrno>

namespace zizuvu {
namespace {

// The Win32 code whose meaning matches each errno; this is the one place that decides it.
constexpr unsigned long WIN32_INVALID_FUNCTION = 1;
constexpr unsigned long WIN32_FILE_NOT_FOUND = 2;
constexpr unsigned long WIN32_PATH_NOT_FOUND = 3;
constexpr unsigned long WIN32_TOO_MANY_OPEN_FILES = 4;
constexpr unsigned long WIN32_ACCESS_DENIED = 5;
constexpr unsigned long WIN32_INVALID_HANDLE = 6;
constexpr unsigned long WIN32_NOT_ENOUGH_MEMORY = 8;
constexpr unsigned long WIN32_BAD_COMMAND = 22;
constexpr unsigned long WIN32_WRITE_FAULT = 29;
constexpr unsigned long WIN32_READ_FAULT = 30;
constexpr unsigned long WIN32_GEN_FAILURE = 31;
constexpr unsigned long WIN32_SHARING_VIOLATION = 32;
constexpr unsigned long WIN32_LOCK_VIOLATION = 33;
constexpr unsigned long WIN32_HANDLE_DISK_FULL = 39;
constexpr unsigned long WIN32_NOT_SUPPORTED = 50;

struct ErrnoMeaning {
    int error;
    unsigned long win32_code;
};

constexpr ErrnoMeaning meanings[] = {
    {ENOENT, WIN32_FILE_NOT_FOUND},       // no such port or file
    {ENXIO, WIN32_FILE_NOT_FOUND},        // device node without a device behind it
    {ENODEV, WIN32_FILE_NOT_FOUND},
    {ENOTDIR, WIN32_PATH_NOT_FOUND},
    {ELOOP, WIN32_PATH_NOT_FOUND},
    {ENAMETOOLONG, WIN32_PATH_NOT_FOUND},
    {EMFILE, WIN32_TOO_MANY_OPEN_FILES},
    {ENFILE, WIN32_TOO_MANY_OPEN_FILES},
    {EACCES, WIN32_ACCESS_DENIED},        // no permission on the device
    {EPERM, WIN32_ACCESS_DENIED},
    {EROFS, WIN32_ACCESS_DENIED},
    {EBUSY, WIN32_ACCESS_DENIED},         // port held by another program
    {EWOULDBLOCK, WIN32_SHARING_VIOLATION},  // lock held by another program
    {ETXTBSY, WIN32_SHARING_VIOLATION},
    {EISDIR, WIN32_INVALID_FUNCTION},     // a directory is no port, and no permission would make it one
    {EBADF, WIN32_INVALID_HANDLE},
    {ENOMEM, WIN32_NOT_ENOUGH_MEMORY},
    {EINVAL, WIN32_BAD_COMMAND},
    {ENOTTY, WIN32_INVALID_FUNCTION},     // a line setting asked of something that is not a port
    {EOPNOTSUPP, WIN32_NOT_SUPPORTED},
    {ENOSYS, WIN32_INVALID_FUNCTION},
    {EIO, WIN32_GEN_FAILURE},            // the device went away under us
    {EPIPE, WIN32_WRITE_FAULT},
    {ENOSPC, WIN32_HANDLE_DISK_FULL},
    {ETIMEDOUT, WIN32_READ_FAULT},
    {EDEADLK, WIN32_LOCK_VIOLATION},
    {ENOLCK, WIN32_LOCK_VIOLATION},
};

}  // namespace

int error_number_for_errno(int error) {
    if (error == 0) return error_number_for_win32_code(0);
    for (const ErrnoMeaning& meaning : meanings) {
        if (meaning.error == error) return error_number_for_win32_code(meaning.win32_code);
    }
    return error_number_for_win32_code(WIN32_GEN_FAILURE);
}

}  // namespace zizuvu
