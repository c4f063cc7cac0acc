#pragma once
// The questions the X.71-and-older record transfer puts to the operator. Each one
// restores normal priority first and has its own rows (27 to 40); the texts of
// earlier questions stay on screen until overwritten. Each is noted in the
// download's report with its answer.
//
//   ask_after_older_address_stall   a key while the address echo is incomplete
//   ask_after_older_wrong_echo      the address echo differs
//   ask_after_older_transmit_error  the data byte did not go out
//   ask_after_older_data_stall      a key while the data echo is missing
//   ask_after_older_wrong_data      the data echo differs

#include <cstdint>

#include "session/session.hpp"
#include "download/current_radio_prompts.hpp"

namespace zizuvu {

// What the operator asked for at a stall: nothing, a resend, or the end.
enum class StallAnswer { wait_on, resend, end_download };

StallAnswer ask_after_older_address_stall(Session& session, DownloadReport& report);
OperatorAnswer ask_after_older_wrong_echo(Session& session, DownloadReport& report, std::uint16_t address,
                                          unsigned echo, std::uint8_t data);
StallAnswer ask_after_older_transmit_error(Session& session, DownloadReport& report, bool write_succeeded);
StallAnswer ask_after_older_data_stall(Session& session, DownloadReport& report, std::uint16_t address);
OperatorAnswer ask_after_older_wrong_data(Session& session, DownloadReport& report, std::uint8_t data,
                                          std::uint8_t echo, std::uint16_t address);

}  // namespace zizuvu
