#pragma once
// The status-line error indicator: count, error number and detail in row 51,
// columns 65 to 76, in the bar's colours; then the error is cleared and a beep sounds.
//
//   show_error_indicator   shows what is pending (the caller has checked that something is)
//   show_pending_error     the usual check point: shows it only if an error is pending

#include "session/session.hpp"

namespace zizuvu {

void show_error_indicator(Session& session);
void show_pending_error(Session& session);

}  // namespace zizuvu
