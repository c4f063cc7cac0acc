#pragma once
// A capture of a setup-terminal session: what the radio sent as the screen shows it
// (the glyphs as UTF-8, a carriage return as the end of a line, the bytes the screen
// drops dropped), optionally each line with its local time first, and optionally the
// keys typed, on lines of their own marked "» ". The file is
// DIR/YYYYmmdd-HHMMSS-ComN.log; it is flushed at least once a second, and closed on
// every way out of the terminal. A device that goes away and comes back goes on in
// the same file.
//
//   CaptureOptions     the folder (empty: no capture), timestamps, keys
//   TerminalCapture    the open capture
//     open               start the file for a port; false with the reason
//     radio_byte, key    what the radio sent, a key the operator typed
//     flush_if_due       at most once a second, for a loop that is busy
//     flush              everything written so far, for before a wait

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/key_text.hpp"

namespace zizuvu {

struct CaptureOptions {
    std::string folder;
    bool timestamps = false;
    bool keys = false;
};

class TerminalCapture {
public:
    TerminalCapture() = default;
    ~TerminalCapture();
    TerminalCapture(const TerminalCapture&) = delete;
    TerminalCapture& operator=(const TerminalCapture&) = delete;

    bool open(const CaptureOptions& options, const std::string& port_name, std::string& problem);
    bool is_open() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

    void radio_byte(std::uint8_t byte);
    void key(KeyText key);
    void flush_if_due();
    void flush();

private:
    void start_line();
    void end_key_line();
    void write(std::string_view bytes);

    std::FILE* file_ = nullptr;
    std::string path_;
    bool timestamps_ = false;
    bool keys_ = false;
    bool radio_line_open_ = false;
    bool radio_line_cut_ = false;  // ended early by a key line, its carriage return still to come
    std::string key_line_;
    std::chrono::steady_clock::time_point last_flush_{};
};

}  // namespace zizuvu
