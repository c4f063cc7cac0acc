#pragma once
// The setup terminal's link to the radio: the port opened at the terminal's baud
// rate with the line settings the radio's setup menu expects, the transmit queue
// emptied and the writer started; and all of it undone again.
//
//   TerminalLink          the port handle, the queue over the run's storage, the writer
//   open_terminal_link    open and set the port, empty the queue, start the writer;
//                         false, with the reason on the status row, when it cannot
//   reopen_terminal_link  the same again, quietly: false while it still cannot
//   close_terminal_link   stop the writer (queued bytes dropped), close the port
//   drop_terminal_link    the device went away: writer stopped, port closed, nothing shown
//
// Only a serial device is taken: a file, a pipe, a directory or /dev/null behind
// the port's name is closed again untouched and counts as a port that cannot be
// opened (error 75), so no key is ever written into it.
//
// While the link is down (never opened, or dropped) the queue stays stopped, so keys
// typed until the device is there are refused rather than kept to be sent later. A
// reopen that fails leaves nothing open and no error pending: the device is simply
// not there yet, and trying again must not fill the status row with errors.

#include "session/session.hpp"
#include "terminal/transmit_queue.hpp"
#include "terminal/transmit_writer.hpp"

namespace zizuvu {

struct TerminalLink {
    explicit TerminalLink(TransmitStorage& storage) : queue(storage) { stop_queue(queue); }

    OsHandle port_handle = NO_OS_HANDLE;
    TransmitQueue queue;
    TransmitWriter writer;
};

bool open_terminal_link(Session& session, TerminalLink& link);
bool reopen_terminal_link(Session& session, TerminalLink& link);
void close_terminal_link(Session& session, TerminalLink& link);
void drop_terminal_link(Session& session, TerminalLink& link);

}  // namespace zizuvu
