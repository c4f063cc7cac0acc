// The X.72-and-newer download's ways back to the menu before programming, and the
// hand-over to the older erase wait.
#include <gtest/gtest.h>

#include "download/download_procedures.hpp"
#include "download/radio_codes.hpp"
#include "download/radio_protocol.hpp"
#include "serial/serial_channel.hpp"
#include "console/text_format.hpp"
#include "tests/support/download_rig.hpp"

namespace zizuvu {
namespace {

using namespace testing;

constexpr KeyText ESCAPE = character_key(KEY_ESCAPE);

void expect_menu_without_finish(RadioRig& r) {
    EXPECT_FALSE(screen_shows(r.rig.screen(), "Program Time is"));
    EXPECT_FALSE(screen_shows(r.rig.screen(), "Hit any key"));
    EXPECT_EQ(find_channel_handle(r.session.channels, PORT_CHANNEL), NO_OS_HANDLE);
}

// Everything the radio received after the program's challenge: the erase request and what followed.
std::vector<std::uint8_t> after_mode_entry(const std::vector<std::uint8_t>& bytes, int speed_code) {
    std::vector<std::uint8_t> entry = {ENTRY_SERVICE_PAGE};
    const DownloadCode command = mode_command();
    for (char c : command.text()) entry.push_back(static_cast<std::uint8_t>(c));
    entry.push_back(static_cast<std::uint8_t>(speed_code));
    const long at = find_bytes(bytes, entry);
    if (at < 0) return {};
    return {bytes.begin() + at + static_cast<long>(entry.size()) + 2, bytes.end()};
}

TEST(CurrentDownloadPaths, AnswersOtherThanExactlyYLeaveBeforeAnythingIsOpened) {
    for (const char* answer : {"N", "", "Yes", "Y ", "n"}) {
        ProgramRig rig;
        rig.keys.type_line(answer);
        download_current_radio(rig.session, rig.downloads);
        EXPECT_FALSE(screen_shows(rig.screen(), "High Speed Download")) << answer;
        EXPECT_EQ(rig.session.error_count, 0) << answer;
    }
}

TEST(CurrentDownloadPaths, AnyKeyWhileWaitingForTheIdentificationGoesBack) {
    RadioRig r(radio_with({"silent-identification"}));
    r.keys.type_line("y").type_line("Y").when_port_silent().type("x");
    download_current_radio(r.session, r.downloads);
    EXPECT_EQ(r.rig.row(10).substr(0, 20), "Waiting for Radio ID");
    expect_menu_without_finish(r);
    EXPECT_TRUE(r.keys.used_up());
    // The port is free again: another open succeeds.
    open_channel(r.session.channels, r.session.port_settings.port_name, PORT_CHANNEL);
    EXPECT_EQ(error_number(r.session.errors), 0);
}

TEST(CurrentDownloadPaths, IdentificationWithoutItsLeadShowsNoSerialAndRequestsNoErase) {
    RadioRig r(radio_with({"identification-lead=0x12"}));
    r.keys.type_line("Y").type_line("");
    r.keys.when_port_silent().type("q");  // dropped in the erase wait
    r.keys.when_port_silent().press(ESCAPE);
    download_current_radio(r.session, r.downloads);
    EXPECT_FALSE(screen_shows(r.rig.screen(), "Radio Serial Number is"));
    EXPECT_FALSE(screen_shows(r.rig.screen(), "Waiting for erase"));
    expect_menu_without_finish(r);
    EXPECT_TRUE(r.keys.used_up());
    const auto after = after_mode_entry(r.received(), SPEED_CODE_NORMAL);
    EXPECT_EQ(std::count(after.begin(), after.end(), ERASE_REQUEST), 0);
}

TEST(CurrentDownloadPaths, OnlyEscapeLeavesTheEraseWait) {
    RadioRig r(radio_with({}, 60000));
    r.keys.type_line("Y").type_line("");
    r.keys.when_port_silent().type("x");
    r.keys.when_port_silent().press(ESCAPE);
    download_current_radio(r.session, r.downloads);
    EXPECT_TRUE(screen_shows(r.rig.screen(), "Radio Serial Number is  123456 "));
    EXPECT_EQ(r.rig.row(12).substr(0, 17), "Waiting for erase");
    expect_menu_without_finish(r);
    EXPECT_TRUE(r.keys.used_up());
}

TEST(CurrentDownloadPaths, AnOlderEraseReplyHandsOverToTheOlderDownload) {
    RadioRig r(radio_with({"erase-reply=0x55"}));
    r.keys.type_line("Y").type_line("Y");
    r.keys.when_screen_shows("Hit any key").type("x");
    const int beeps_before = r.keys.beeps();
    download_current_radio(r.session, r.downloads);
    EXPECT_GE(r.keys.beeps() - beeps_before, 1);
    // The older download's screen from here: its "Starting Download" under the erase wait.
    EXPECT_EQ(r.rig.row(13).substr(0, 17), "Starting Download");
    EXPECT_FALSE(screen_shows(r.rig.screen(), "If Programing Pauses"));
    expect_finished(r);
    r.radio->stop();
    EXPECT_EQ(dumped_memory(r.radio->dump()), image_memory());
    EXPECT_NE(r.radio->errors().find(" 0 violations"), std::string::npos) << r.radio->errors();
}

TEST(CurrentDownloadPaths, TheProgressCounterCarriesOverToTheNextDownload) {
    RadioRig r({"--erase-ms", "20", "--resync-timeout", "200", "--fault", fault("wrong-address-echo", 0), "--fault",
                fault("wrong-address-echo", first_data_byte(8))});
    r.keys.type_line("Y").type_line("");
    r.keys.when_screen_shows("Continue?(<esc> to quit)").press(ESCAPE);
    r.keys.when_screen_shows("Hit any key").type("x");
    download_current_radio(r.session, r.downloads);
    ASSERT_EQ(r.downloads.progress_counter, 3);

    // The older download's line comes when the counter passes 7: five records on, at record 4.
    r.keys.type_line("Y").type_line("");
    r.keys.when_screen_shows("Continue? (<esc> to quit) ").press(ESCAPE);
    r.keys.when_screen_shows("Hit any key").type("x");
    download_older_radio(r.session, r.downloads);
    RecordBuffer record;
    fetch_record(firmware_image(), 4, record);
    EXPECT_EQ(cells(r.keys.screen_at_key(8), 25, 1, 4), hex_text(record.load_address(), 0) + std::string(4 - hex_text(record.load_address(), 0).size(), ' '));
    EXPECT_EQ(r.downloads.progress_counter, 4);  // records 5 to 8 since
}

}  // namespace
}  // namespace zizuvu
