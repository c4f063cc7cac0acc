#pragma once
// The setup terminal's link to the radio: the port opened at the terminal's baud
// rate with the line settings the radio's setup menu expects, the transmit queue
// emptied and the writer started; and all of it undone again.
//
//   TerminalLink          the port handle, the queue over the run's storage, the writer
//   open_terminal_link    open and set the port, empty the queue, start the writer
//   close_terminal_link   stop the writer (queued bytes dropped), close the port
//   open_terminal_port    the port alone, opened and set
//   close_terminal_port   the port alone, closed
//   drop_terminal_link    the device went away: writer stopped, port closed, nothing shown
//   reopen_terminal_link  the same port again with the same settings, queue emptied,
//                         writer started; false while it cannot be opened
//
// A port that cannot be opened is shown on the status row and the terminal goes on
// without it: nothing arrives, and keys are queued but never sent. Errors of the
// line settings stay pending for the terminal's next check point.
//
// After drop_terminal_link the queue stays stopped, so keys typed until the device
// is back are refused rather than kept to be sent later. A reopen that fails leaves
// nothing open and no error pending: the device is simply not back yet, and trying
// again must not fill the status row with errors.

#include "app/program.hpp"
#include "terminal/transmit_queue.hpp"
#include "terminal/transmit_writer.hpp"

namespace zizuvu {

inline constexpr std::uint32_t TERMINAL_WRITE_TIMEOUT_MS = 100;

struct TerminalLink {
    explicit TerminalLink(Program& program) : queue(program.transmit_queue) {}

    OsHandle port_handle = NO_OS_HANDLE;
    TransmitQueue queue;
    TransmitWriter writer;
};

void open_terminal_link(Program& program, TerminalLink& link);
void close_terminal_link(Program& program, TerminalLink& link);
void open_terminal_port(Program& program, TerminalLink& link);
void close_terminal_port(Program& program, TerminalLink& link);
void drop_terminal_link(Program& program, TerminalLink& link);
bool reopen_terminal_link(Program& program, TerminalLink& link);

}  // namespace zizuvu
