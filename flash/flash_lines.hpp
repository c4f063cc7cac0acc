#pragma once
// What `zizuvu flash` prints about each port: a progress line while it runs, and one
// summary line when it is over.
//
//   PortLabel       the port as the operator named it, and the device behind it
//   phase_word      "identifying", "programming", ...
//   progress_text   "Com1 /dev/ttyUSB0  programming  12000/47956 bytes  25%  14 s"
//   summary_text    "Com1 /dev/ttyUSB0  radio 654321  <verdict>  47956 bytes  61.2 s  record 17"

#include <string>

#include "flash/flash_messages.hpp"

namespace zizuvu {

struct PortLabel {
    std::string name;    // "Com2", or the device path it was given as
    std::string device;  // the device opened
};

std::string phase_word(DownloadPhase phase);
std::string progress_text(const PortLabel& port, const PortProgress& progress, double seconds);
std::string summary_text(const PortLabel& port, const PortResult& result);

}  // namespace zizuvu
