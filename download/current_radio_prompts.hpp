#pragma once
// The five questions the X.72-and-newer programming phase puts to the operator when
// the radio stalls or answers wrongly. Each restores normal priority first, stands on
// row 30 in the alert colours, waits for a key, blanks its row and says whether the
// operator ended the download (Escape) or wants it to go on. Each is noted in the
// download's report with its answer.
//
//   ask_after_address_stall       no echo of the address yet and a key was pressed
//   ask_after_wrong_echo          the echo differs from the address sent
//   ask_after_transmit_error      the data frame did not go out whole
//   ask_after_acknowledgement_stall   no acknowledgement yet and a key was pressed
//   ask_after_wrong_acknowledgement   the acknowledgement differs from the expected byte

#include <cstdint>

#include "download/download_report.hpp"
#include "session/session.hpp"

namespace zizuvu {

enum class OperatorAnswer { go_on, end_download };

OperatorAnswer ask_after_address_stall(Session& session, DownloadReport& report);
OperatorAnswer ask_after_wrong_echo(Session& session, DownloadReport& report, std::uint16_t address, unsigned echo);
OperatorAnswer ask_after_transmit_error(Session& session, DownloadReport& report);
OperatorAnswer ask_after_acknowledgement_stall(Session& session, DownloadReport& report, std::uint16_t address);
OperatorAnswer ask_after_wrong_acknowledgement(Session& session, DownloadReport& report, std::uint8_t data,
                                               std::uint8_t received, std::uint16_t address);

}  // namespace zizuvu
