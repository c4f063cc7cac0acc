#pragma once
// A port's line settings in terms of a Linux terminal's settings, as plain logic.
//
//   line_settings_from_termios   what the terminal's settings say
//   apply_line_settings          the terminal's settings for wanted line settings, or
//                                false when a Linux serial device cannot carry them out
//   raw_port_mode             raw bytes both ways, with the line itself untouched
//   same_line_settings        whether two settings agree on speed, framing and flow
//   baud_from_speed / speed_for_baud   the speed constants

#include <termios.h>

#include <cstdint>
#include <optional>

#include "platform/port_io.hpp"

namespace zizuvu {

std::uint32_t baud_from_speed(speed_t speed);  // 0 for a speed without a number
std::optional<speed_t> speed_for_baud(std::uint32_t baud);

LineSettings line_settings_from_termios(const termios& mode);
// `mode` is changed only when all of it can be applied. The speed is left as it is
// when the wanted rate is what line_settings_from_termios reports, so a port at a
// speed this program has no number for keeps it through other changes.
bool apply_line_settings(termios& mode, const LineSettings& wanted);
termios raw_port_mode(termios mode);
bool same_line_settings(const termios& a, const termios& b);

}  // namespace zizuvu
