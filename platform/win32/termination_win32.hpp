#pragma once
// Console control events that end the program (Ctrl+Break, the console window
// closed, log-off, shut-down). The handler only notes the event and signals an
// event object that the waits watch; the program then unwinds along its normal
// paths. For a close, log-off or shut-down Windows ends the process once the
// handler returns, so the handler holds it until the program has finished.
//
//   install_termination_handler   once, at take-over
//   termination_event             the event the waits watch
//   termination_seen              whether an ending event arrived
//   note_program_finished         the console was given back: a held handler may return
//   remove_termination_handler

#include "platform/win32/windows_api.hpp"

namespace zizuvu {

bool install_termination_handler();
HANDLE termination_event();
bool termination_seen();
void note_program_finished();
void remove_termination_handler();

}  // namespace zizuvu
