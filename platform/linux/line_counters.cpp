#include "platform/linux/line_counters.hpp"

#include "platform/port_io.hpp"

namespace zizuvu {

std::uint32_t line_errors_between(const LineCounters& before, const LineCounters& now) {
    // Counters only grow while the port is open; a counter that differs at all
    // (also one that wrapped around) means the error happened.
    std::uint32_t errors = 0;
    if (now.overrun != before.overrun) errors |= CE_OVERRUN;
    if (now.frame != before.frame) errors |= CE_FRAME;
    if (now.parity != before.parity) errors |= CE_RXPARITY;
    if (now.brk != before.brk) errors |= CE_BREAK;
    if (now.buf_overrun != before.buf_overrun) errors |= CE_RXOVER;
    return errors;
}

}  // namespace zizuvu
