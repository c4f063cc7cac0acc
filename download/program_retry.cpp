// Menu choice "4": the programming phase of the X.72-and-newer download again from
// the first record, without the handshake.
#include "download/download_procedures.hpp"
#include "download/download_link.hpp"
#include "download/download_log.hpp"
#include "download/download_screen.hpp"
#include "download/programming_phase.hpp"
#include "download/radio_protocol.hpp"
#include "download/wire_exchange.hpp"
#include "platform/clock.hpp"

namespace zizuvu {

void program_retry(Session& session, Downloads& downloads) {
    DownloadReport& report = downloads.report;
    report = start_report(DownloadProcedure::retry, downloads.image.bytes_to_send);
    const LoggedDownload logged(session, downloads);
    start_download_screen(session);
    DownloadLink link;
    link.speed_code = ask_high_speed(session, report) ? SPEED_CODE_HIGH : SPEED_CODE_NORMAL;
    report.speed = download_baud(link.speed_code);
    if (operator_left(session)) return;
    report.phase = DownloadPhase::linking;
    if (!open_download_link(session, link)) return;
    log_download_start(downloads);
    locate(session.console.screen, 10, 1);
    pause_ms(10);
    switch_to_download_speed(session, link, link.speed_code);
    send_bytes(session, RESYNC);
    // Only more than one waiting byte is thrown away: a single one stays and is read
    // as the first byte of the first echo.
    discard_waiting_input(session, 1);
    programming_phase(session, downloads, link);
}

}  // namespace zizuvu
