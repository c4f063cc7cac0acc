#pragma once
// The console of the platform the program runs on, taken over for the run and given
// back, as it was, when the returned device is destroyed.
//
//   take_over_console          the device, or nothing with the reason
//   end_as_termination_asked   after the device is given back: a run that a signal
//                              ended finishes the way that signal asks

#include <memory>
#include <string>

#include "platform/console.hpp"

namespace zizuvu {

std::unique_ptr<ConsoleIo> take_over_console(std::string& why_not);
void end_as_termination_asked();

}  // namespace zizuvu
