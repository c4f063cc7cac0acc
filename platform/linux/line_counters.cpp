#include "platform/linux/line_counters.hpp"

namespace zizuvu {

LineErrors line_errors_between(const LineCounters& before, const LineCounters& now) {
    // Counters only grow while the port is open; a counter that differs at all
    // (also one that wrapped around) means the error happened.
    LineErrors errors;
    errors.overrun = now.overrun != before.overrun;
    errors.framing = now.frame != before.frame;
    errors.parity = now.parity != before.parity;
    errors.line_break = now.brk != before.brk;
    errors.receive_overflow = now.buf_overrun != before.buf_overrun;
    return errors;
}

}  // namespace zizuvu
