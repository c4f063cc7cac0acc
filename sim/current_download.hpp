#pragma once
// The X.72-and-newer download and the programming retry, radio side: speed code and
// challenge at 19200 baud, the move to the download speed, the identification with
// the serial number masked by the challenge's key stream, the erase, then one frame
// per data byte (lead, address, echo, scrambled byte and check byte, acknowledgement).
// Four 0xFF in a row resynchronise wherever the radio stands.
//
//   current_receive   a byte of the handshake or the exchange
//   current_tick      the line has moved to the download speed, or the erase is over

#include <cstdint>

#include "sim/radio.hpp"

namespace zizuvu::sim {

void current_receive(Radio& radio, std::uint8_t byte, const LineState& line);
void current_tick(Radio& radio, const LineState& line);

}  // namespace zizuvu::sim
