#pragma once
// The option codes of set_port_option and what each does to a port's line settings,
// as plain logic so that the rules can be seen without a port.
//
//   OPTION_*              the codes the program uses
//   DtrControl            what the two DTR codes leave the DTR line doing
//   dtr_control_for       the DTR codes' effect (codes 7 and 8 only)
//   change_line_setting   every other line code's effect on the line settings

#include <cstdint>
#include <optional>

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

// The stop-bit values of OPTION_STOP_BITS.
inline constexpr std::int32_t STOP_BITS_ONE = 0;
inline constexpr std::int32_t STOP_BITS_ONE_AND_A_HALF = 1;
inline constexpr std::int32_t STOP_BITS_TWO = 2;

// DTR handshake and DTR line set one thing, so the later code wins: handshake off
// and then line on leaves DTR raised; line on and then handshake off leaves it low.
enum class DtrControl { lowered, raised, handshake };
std::optional<DtrControl> dtr_control_for(int code, std::int32_t value);

// Changes what `code` changes, with its side effects: data bits rewrite the stop
// bits (and, from 8 bits on, the parity), so they must come first. Any value but 0
// is on. False, with the settings untouched, for a code that is not such a line
// setting or a value the field cannot hold.
bool change_line_setting(LineSettings& settings, int code, std::int32_t value);

}  // namespace zizuvu
