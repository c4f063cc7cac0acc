#pragma once
// The radio's setup menu: a small tree of pages that answer keys with text, lines
// ended by CR LF, at whatever speed the line is set to. The download modes are
// entered through it, as the program's entry sequences walk it:
//   X.71 and older: "1" (baud rate page), the speed digit ("1" 115200, "4" 38400),
//                   Escape (back), "4" (service page), then the code;
//   X.72 and newer: "4" (service page), then MODE_COMMAND, which the service page
//                   answers with the handshake of that download;
//   retry:          four 0xFF at a download speed go straight to programming.
//
//   menu_receive   one key
//   menu_tick      a code waiting at the service page is taken, or times out
//   baud_of_choice the data-port speed of a baud page digit

#include <cstdint>

#include "sim/radio.hpp"

namespace zizuvu::sim {

void menu_receive(Radio& radio, std::uint8_t byte, const LineState& line);
void menu_tick(Radio& radio, const LineState& line);
int baud_of_choice(int digit);

}  // namespace zizuvu::sim
