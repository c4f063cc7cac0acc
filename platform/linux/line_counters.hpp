#pragma once
// Line errors from a Linux serial driver's running error counters (TIOCGICOUNT):
// the driver counts, Win32 reports what happened since it was last asked, so the
// counters seen last time are kept and compared.
//
//   LineCounters          the counters that matter
//   line_errors_between   what the counters say happened in between

#include <cstdint>

#include "platform/port_io.hpp"

namespace zizuvu {

struct LineCounters {
    std::uint32_t overrun = 0;      // the UART lost bytes
    std::uint32_t frame = 0;
    std::uint32_t parity = 0;
    std::uint32_t brk = 0;
    std::uint32_t buf_overrun = 0;  // the driver's input buffer was full
};

LineErrors line_errors_between(const LineCounters& before, const LineCounters& now);

}  // namespace zizuvu
