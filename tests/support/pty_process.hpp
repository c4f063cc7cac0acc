#pragma once
// Starts a program on a new pseudo-terminal, as an operator's terminal would run it,
// and reads back what it shows. Used to drive the real executable end to end.
//
//   PtyProcess::start      the program with its arguments, extra environment and a terminal size
//   send                   bytes as typed on the keyboard
//   wait_until / wait_for_text   read the program's output until the screen satisfies a test
//   wait_exit              the exit status (as waitpid reports it)
//   terminal_mode          the terminal's settings, as `stty -g` would report them

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/terminal_screen.hpp"

namespace zizuvu::testing {

class PtyProcess {
public:
    static std::unique_ptr<PtyProcess> start(const std::vector<std::string>& arguments,
                                             const std::vector<std::string>& environment = {}, int rows = 51,
                                             int columns = 80);
    ~PtyProcess();
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;

    void send(std::string_view bytes);
    bool wait_until(const std::function<bool(const TerminalScreen&)>& done, std::chrono::milliseconds limit);
    bool wait_for_text(std::string_view text, std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Reads for a while without a goal: lets output settle.
    void drain_for(std::chrono::milliseconds period);
    std::optional<int> wait_exit(std::chrono::milliseconds limit = std::chrono::seconds(10));
    void signal(int signal_number);

    pid_t pid() const { return pid_; }
    std::string terminal_mode() const;
    const TerminalScreen& screen() const { return screen_; }
    const std::string& output() const { return output_; }

private:
    PtyProcess(int master, int slave, pid_t pid, int rows, int columns);
    bool read_some(int timeout_ms);

    int master_;
    int slave_;  // kept open so the terminal's settings outlive the program
    pid_t pid_;
    std::optional<int> status_;
    TerminalScreen screen_;
    std::string output_;
};

std::string describe_mode(const termios& mode);

}  // namespace zizuvu::testing
