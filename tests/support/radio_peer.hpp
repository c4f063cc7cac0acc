#pragma once
// The simulated radio as an executable, and the program's side of its line, for tests
// that talk to zizuvu-radio through its pseudo-terminal as the program would.
//
//   RadioProcess    zizuvu-radio started with a log, a dump and its standard error in a
//                   directory; its device path; signals; stop and exit status
//   WireLogLine     one line of the radio's log
//   read_wire_log   the radio's log, byte lines and notes
//   SerialPeer      the far end opened as the program opens its port: speed, send, read

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zizuvu::testing {

class RadioProcess {
public:
    // Adds --log (unless told not to: a benchmark measures the radio without it) and
    // --dump into dir; standard error goes to dir/radio.err.
    static std::unique_ptr<RadioProcess> start(const std::string& dir, const std::vector<std::string>& arguments,
                                               bool with_log = true);
    ~RadioProcess();
    RadioProcess(const RadioProcess&) = delete;
    RadioProcess& operator=(const RadioProcess&) = delete;

    const std::string& path() const { return path_; }
    // The next device path the radio prints (after it reappears), "" if none in time.
    std::string next_path(std::chrono::milliseconds limit);
    void signal(int signal_number);
    std::optional<int> stop(std::chrono::milliseconds limit = std::chrono::seconds(10));  // SIGTERM; exit code

    std::string errors() const;
    std::string dump() const;
    std::string log_path() const { return dir_ + "/radio.log"; }
    std::string dump_path() const { return dir_ + "/radio.hex"; }

private:
    RadioProcess(pid_t pid, int out, std::string dir) : pid_(pid), out_(out), dir_(std::move(dir)) {}
    std::string read_line(std::chrono::milliseconds limit);

    pid_t pid_;
    int out_;
    std::string dir_;
    std::string path_;
    std::string pending_;
    bool exited_ = false;
};

struct WireLogLine {
    std::int64_t microseconds = 0;
    bool note = false;
    bool sent = false;  // by the radio
    int byte = 0;
    int baud = 0;
    std::string text;   // a note's text
};
std::vector<WireLogLine> read_wire_log(const std::string& path);

class SerialPeer {
public:
    explicit SerialPeer(const std::string& path, int baud = 19200);
    ~SerialPeer();
    SerialPeer(const SerialPeer&) = delete;
    SerialPeer& operator=(const SerialPeer&) = delete;

    bool is_open() const { return fd_ >= 0; }
    void set_speed(int baud);
    void send(std::string_view bytes);
    // Exactly count bytes, or fewer if they do not come within the limit.
    std::string read(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(5));
    // Whatever comes within the period.
    std::string read_for(std::chrono::milliseconds period);
    std::string read_until(std::string_view text, std::chrono::milliseconds limit = std::chrono::seconds(5));
    // The line has gone away (hang-up or error on the device).
    bool hung_up(std::chrono::milliseconds limit);

private:
    int fd_ = -1;
};

}  // namespace zizuvu::testing
