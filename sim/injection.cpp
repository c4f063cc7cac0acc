#include "sim/injection.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace zizuvu::sim {

bool open_injection(Injection& injection, const std::string& path, std::string& why_not) {
    if (mkfifo(path.c_str(), 0600) != 0 && errno != EEXIST) {
        why_not = "cannot make " + path + ": " + std::generic_category().message(errno);
        return false;
    }
    // Read and write: the radio holds a writer itself, so the pipe never reads as
    // ended between the test's writers and never wakes the loop for nothing.
    injection.fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (injection.fd < 0) {
        why_not = "cannot open " + path + ": " + std::generic_category().message(errno);
        return false;
    }
    struct stat status {};
    if (fstat(injection.fd, &status) != 0 || !S_ISFIFO(status.st_mode)) {
        why_not = path + " is not a named pipe";
        close(injection.fd);
        injection.fd = -1;
        return false;
    }
    injection.path = path;
    return true;
}

std::string take_injected(Injection& injection) {
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(injection.fd, buffer, sizeof buffer);
        if (got > 0) {
            bytes.append(buffer, static_cast<std::size_t>(got));
            if (static_cast<std::size_t>(got) < sizeof buffer) return bytes;
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        return bytes;
    }
}

void close_injection(Injection& injection) {
    if (injection.fd < 0) return;
    close(injection.fd);
    unlink(injection.path.c_str());
    injection.fd = -1;
}

}  // namespace zizuvu::sim
