#pragma once
// The serial link a firmware download runs over: the port opened and set for the
// 19200-baud handshake, moved to the download speed, emptied of stale input, and
// the process priority raised and restored around the time-critical exchange.
//
//   DownloadLink               speed code, port handle, the line settings kept for the switch
//   open_download_port         open and set the port (the X.71 download needs no more)
//   open_download_link         the same, then the line settings kept, waiting input dropped
//   switch_to_download_speed   raise, set the speed, apply, restore; a speed the driver
//                              refuses is error 5, shown at once like every refused setting
//   discard_waiting_input      drop what is waiting if it is more than a threshold
//   raise_priority / restore_priority
//   note_if_line_lost          before the port is closed on a way out: whether the device
//                              went away, noted in the report with the error shown
//
// Both openers report their own failure ("Can't Open Com Port" or "Error Opening
// Com Port", the indicator, a beep, every channel closed, two seconds to read it)
// and return false: the caller then goes straight back to the menu.

#include "download/download_report.hpp"
#include "session/session.hpp"
#include "download/radio_protocol.hpp"
#include "platform/port_io.hpp"

namespace zizuvu {

struct DownloadLink {
    int speed_code = SPEED_CODE_NORMAL;
    OsHandle port_handle = NO_OS_HANDLE;
    LineSettings saved_line_settings{};
};

bool open_download_port(Session& session);
bool open_download_link(Session& session, DownloadLink& link);
void switch_to_download_speed(Session& session, DownloadLink& link, int speed_code);
void discard_waiting_input(Session& session, int threshold);
void raise_priority();
void restore_priority();
bool note_if_line_lost(Session& session, DownloadReport& report);

}  // namespace zizuvu
