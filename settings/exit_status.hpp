#pragma once
// The program's exit statuses, as --help lists them. Unattended flashing over
// several ports ends with the highest status of them.
//
//   EXIT_DONE                  finished (help, version, every flashed port complete)
//   EXIT_USAGE                 usage error or bad input (command line, configuration); nothing opened
//   EXIT_PORT_NOT_OPENED       flash: a port could not be opened
//   EXIT_NO_RADIO              flash: no radio answered
//   EXIT_DOWNLOAD_FAILED       flash: attempts exhausted or the line failed
//   EXIT_SIGNAL                flash: ended by a signal

namespace zizuvu {

inline constexpr int EXIT_DONE = 0;
inline constexpr int EXIT_USAGE = 2;
inline constexpr int EXIT_PORT_NOT_OPENED = 3;
inline constexpr int EXIT_NO_RADIO = 4;
inline constexpr int EXIT_DOWNLOAD_FAILED = 5;
inline constexpr int EXIT_SIGNAL = 6;

}  // namespace zizuvu
