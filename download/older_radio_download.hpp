#pragma once
// The download for radios at X.71 and older: menu choice "0", and the erase wait
// that the X.72-and-newer download hands over to when the radio answers its erase
// request the older way.
//
//   download_older_radio          (download_procedures.hpp) the whole procedure
//   continue_at_older_erase_wait  from the erase wait on, on a link already at download speed

#include "download/download_procedures.hpp"
#include "platform/os_handle.hpp"

namespace zizuvu {

void continue_at_older_erase_wait(Session& session, Downloads& downloads, OsHandle port_handle);

}  // namespace zizuvu
