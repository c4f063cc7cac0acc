#pragma once
// A pseudo-terminal pair standing in for a serial port: the program opens the
// slave side by its path as "Com<N>", the test plays the radio on the master side.
// Settings read on the master side are the port's own (the master reports the
// slave's), so a test sees the line as the far end of the cable would.
//
//   PtyPair            the pair; port_path is what ZIZUVU_COM<N> points at
//   send / receive     bytes from and to the radio's side
//   far_end_mode / set_far_end_mode   the port's settings, read or put in place from outside
//   hang_up            the far end goes away
//   hold_port_output / release_port_output   the line stops / starts taking what the
//                      port writes, as flow control holds a real line (the port made
//                      to obey XON/XOFF, then sent XOFF or XON)
//   ScopedEnvironment  an environment variable set for one test, put back after it

#include <termios.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace zizuvu::testing {

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0; }
    const std::string& port_path() const { return port_path_; }
    int master() const { return master_; }

    void send(std::string_view bytes);
    // Up to `count` bytes, as many as arrive within `limit`.
    std::string receive(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(5));
    termios far_end_mode() const;
    void set_far_end_mode(const termios& mode);
    void hang_up();
    void hold_port_output();
    void release_port_output();

private:
    int master_ = -1;
    std::string port_path_;
};

class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace zizuvu::testing
