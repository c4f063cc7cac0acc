#pragma once
// The X.71-and-older download, radio side: after its code the radio erases, reports
// the erase done with 0xFF at the download speed, then echoes every byte it receives:
// the two address bytes, then the data byte, which it programs.
//
//   older_receive               a byte of the exchange
//   older_tick                  the erase is over
//   continue_as_older_download  an X.72 radio that answered the erase as an X.71 one does

#include <cstdint>

#include "sim/radio.hpp"

namespace zizuvu::sim {

void older_receive(Radio& radio, std::uint8_t byte, const LineState& line);
void older_tick(Radio& radio, const LineState& line);
void continue_as_older_download(Radio& radio);

}  // namespace zizuvu::sim
