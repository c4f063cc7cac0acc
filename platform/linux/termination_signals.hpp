#pragma once
// Signals that end or disturb the program. The handlers only note the signal and
// write one byte to a pipe that the waits watch; the program then unwinds along its
// normal paths. Fatal signals are the exception: their handler writes the prepared
// restore sequence to the terminal, puts its mode back and re-raises.
//
//   install_signal_handlers   once, with the terminal's restore data
//   signal_pipe_fd            the read end the waits poll
//   take_signals              what arrived since the last call (drains the pipe)
//   termination_signal        the first terminating signal seen, 0 if none
//   set_fatal_restore         what a fatal signal writes and the mode it restores
//   start_signals_afresh      in a new child process: a pipe of its own, nothing seen yet

#include <termios.h>

#include <string_view>

namespace zizuvu {

struct ArrivedSignals {
    bool terminate = false;  // SIGTERM, SIGHUP, SIGINT, SIGQUIT
    bool resize = false;     // SIGWINCH
    bool suspend = false;    // SIGTSTP
};

bool install_signal_handlers();
int signal_pipe_fd();
ArrivedSignals take_signals();
int termination_signal();
void set_fatal_restore(int terminal_fd, const termios* original_mode, std::string_view restore_sequence);
void remove_signal_handlers();
bool start_signals_afresh();

}  // namespace zizuvu
