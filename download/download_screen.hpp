#pragma once
// Screen pieces every download shares: the title, the two questions' answers, the
// operator's key at a question, blanking a prompt row, the progress line's place and
// the finish screen.
//
//   start_download_screen    cleared screen with the title, cursor on row 4
//   is_yes                   only a line of exactly "Y" or "y" says yes
//   ask_high_speed           the high-speed question; true for a yes, noted in the report's answers
//   operator_left            the operator (or a signal) ended the run: do not start talking to the radio
//   wait_for_operator_key    block until a key is waiting, take it
//   blank_row                the given number of blanks from column 1 of a row, then a line end
//   finish_download          the verdict, "Program Time is ##.## S", close the port,
//                            "Hit any key ..." and wait

#include <string_view>

#include "download/download_procedures.hpp"
#include "session/session.hpp"

namespace zizuvu {

inline constexpr std::string_view DOWNLOAD_TITLE = "           Download New Firmware to Radio";
inline constexpr std::string_view HIGH_SPEED_QUESTION =
    "High Speed Download (use with caution and FIFO enabled) (N (default), or Y ) ";

void start_download_screen(Session& session);
bool is_yes(std::string_view line);
bool ask_high_speed(Session& session, DownloadReport& report);
bool operator_left(const Session& session);
KeyText wait_for_operator_key(Session& session);
void blank_row(Session& session, int row, int blanks);
// The verdict on rows 27 and 28 (green when every byte went through, red with what is
// true otherwise), the elapsed time since `start_time` (a reading of
// seconds_since_midnight kept in single precision), then the port closed, then the
// wait for any key. The report is complete when it returns.
void finish_download(Session& session, Downloads& downloads, float start_time);

}  // namespace zizuvu
