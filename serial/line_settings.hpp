#pragma once
// The option codes of set_port_option and what each does to the port's line state,
// as plain logic on a LineState so that the rules can be seen without a port.
//
//   OPTION_*              the codes the program uses
//   change_line_setting   one code's effect on a line state

#include <cstdint>

#include "platform/port_io.hpp"

namespace zizuvu {

inline constexpr int OPTION_BAUD_RATE = 1;
inline constexpr int OPTION_DATA_BITS = 3;
inline constexpr int OPTION_CTS_FLOW = 4;
inline constexpr int OPTION_DSR_FLOW = 5;
inline constexpr int OPTION_DSR_SENSITIVITY = 6;
inline constexpr int OPTION_DTR_HANDSHAKE = 7;
inline constexpr int OPTION_DTR_LINE = 8;
inline constexpr int OPTION_PARITY_CHECK = 10;
inline constexpr int OPTION_RECEIVE_QUEUE = 17;
inline constexpr int OPTION_STOP_BITS = 19;
inline constexpr int OPTION_TRANSMIT_QUEUE = 20;

// Changes what `code` changes, with its side effects: data bits rewrite the stop
// bits (and, from 8 bits on, the parity), so they must come first; DTR handshake
// and DTR line write the same field, so the later one wins. Any value but 0 is on.
// False, with the state untouched, for a code that is not a line setting or a
// value the field cannot hold.
bool change_line_setting(LineState& state, int code, std::int32_t value);

}  // namespace zizuvu
