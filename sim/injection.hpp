#pragma once
// Bytes the radio sends because a test told it to: a named pipe whose content goes
// out on the line as it is, as the radio's own output, so that a test can make the
// radio send anything (control bytes, escape sequences, endless text).
//
//   Injection          the pipe and its path
//   open_injection     make the named pipe and hold it open for reading
//   take_injected      what has been written into it since the last look
//   close_injection    close and remove it

#include <string>

namespace zizuvu::sim {

struct Injection {
    int fd = -1;
    std::string path;
};

bool open_injection(Injection& injection, const std::string& path, std::string& why_not);
std::string take_injected(Injection& injection);
void close_injection(Injection& injection);

}  // namespace zizuvu::sim
