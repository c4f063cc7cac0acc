#pragma once
// The setup terminal the main menu starts ("2"): a pass-through to the radio's own
// setup menu until "Q" or "q".
//
//   TerminalLog          whoever keeps a record of the sessions: told when one starts
//                        and when it ends; each answers the reason a record could not be
//                        written, empty when it was
//   Terminal             what the terminal keeps for the whole run: the transmit queue's
//                        storage, the capture asked for, the record keeper, and what the
//                        last session has to tell the menu (a capture or a record that failed)
//   run_setup_terminal   the whole terminal

#include <cstdint>
#include <string>

#include "session/session.hpp"
#include "terminal/terminal_capture.hpp"
#include "terminal/transmit_queue.hpp"

namespace zizuvu {

class TerminalLog {
public:
    virtual ~TerminalLog() = default;
    virtual std::string session_started(const std::string& port_name, const std::string& capture_path) = 0;
    virtual std::string session_ended(std::uint64_t bytes_received, std::uint64_t bytes_sent) = 0;
};

struct Terminal {
    TransmitStorage transmit_storage{};
    CaptureOptions capture;
    TerminalLog* log = nullptr;
    std::string notice;  // empty when the last session had nothing to say
};

void run_setup_terminal(Session& session, Terminal& terminal);

}  // namespace zizuvu
