// The transmit-error questions of both downloads. A radio cannot make the program's
// own write fail, so the direct writes here go to a handle on the same line that is
// open for reading only: every write is refused, while the echoes still arrive. And
// the other way round, a direct read that fails once the answer has been counted (the
// device gone in between).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "download/download_link.hpp"
#include "download/older_radio_download.hpp"
#include "download/programming_phase.hpp"
#include "download/radio_codes.hpp"
#include "download/wire_exchange.hpp"
#include "platform/clock.hpp"
#include "serial/serial_channel.hpp"
#include "tests/support/download_rig.hpp"

namespace zizuvu {
namespace {

using namespace testing;

constexpr KeyText ESCAPE = character_key(KEY_ESCAPE);

class OneWayHandle {
public:
    OneWayHandle(const std::string& path, int direction) : fd_(open(path.c_str(), direction | O_NOCTTY | O_CLOEXEC)) {}
    ~OneWayHandle() {
        if (fd_ >= 0) close(fd_);
    }
    OneWayHandle(const OneWayHandle&) = delete;
    OneWayHandle& operator=(const OneWayHandle&) = delete;
    bool ok() const { return fd_ >= 0; }
    OsHandle handle() const { return fd_; }

private:
    int fd_;
};

// The newer radio's link up at the normal speed and resynchronised, as the programming
// phase finds it.
bool ready_to_program(RadioRig& r, DownloadLink& link) {
    if (!open_download_link(r.session, link)) return false;
    switch_to_download_speed(r.session, link, SPEED_CODE_NORMAL);
    send_bytes(r.session, RESYNC);
    discard_waiting_input(r.session, 1);
    return true;
}

TEST(TransmitError, CurrentDownloadWritesTheSameFrameAgainWithoutAResync) {
    RadioRig r(radio_with({}));
    DownloadLink link;
    ASSERT_TRUE(ready_to_program(r, link));
    // The line is held exclusively; only a privileged test can open it a second time.
    OneWayHandle refusing(r.radio->path(), O_RDONLY);
    if (!refusing.ok()) GTEST_SKIP() << "a second handle on the port needs root";
    link.port_handle = refusing.handle();

    r.keys.when_screen_shows("Error on Data Transmit Resend? (<esc> to quit) ").type("x");
    r.keys.when_screen_shows("Error on Data Transmit Resend? (<esc> to quit) ").press(ESCAPE);
    r.keys.when_screen_shows("Hit any key").type("x");
    const int beeps_before = r.keys.beeps();
    programming_phase(r.session, r.downloads, link);

    const Screen& asked = r.keys.screen_at_key(0);
    EXPECT_EQ(cells(asked, 30, 1, 47), "Error on Data Transmit Resend? (<esc> to quit) ");
    EXPECT_EQ(cell_at(asked, 30, 1).attribute, 0x1E);
    EXPECT_EQ(cursor_row(asked), 31);  // the question ends its line
    EXPECT_EQ(cells(asked, 51, 65, 4), "  1 ");  // the refused write counted and shown at once
    // Asked again after the first answer; each refused write beeps on the status row too.
    EXPECT_EQ(r.keys.beeps() - beeps_before, 4);
    expect_finished(r);

    const auto bytes = r.received();
    const auto first_address = address_of_data_byte(0);
    const std::vector<std::uint8_t> frame = {FRAME_LEAD, static_cast<std::uint8_t>(first_address >> 8),
                                             static_cast<std::uint8_t>(first_address)};
    const long at = find_bytes(bytes, frame);
    ASSERT_GE(at, 0);
    EXPECT_EQ(bytes.size(), static_cast<std::size_t>(at) + frame.size()) << "no resync, no new address";
}

TEST(TransmitError, AReadThatFailsAfterTheAnswerWasCountedIsShownOnTheStatusRowAndAsked) {
    RadioRig r(radio_with({}));
    DownloadLink link;
    ASSERT_TRUE(ready_to_program(r, link));
    OneWayHandle unreadable(r.radio->path(), O_WRONLY);
    if (!unreadable.ok()) GTEST_SKIP() << "a second handle on the port needs root";
    link.port_handle = unreadable.handle();

    r.keys.when_screen_shows("Continue?(<esc> to quit) ").press(ESCAPE);
    r.keys.when_screen_shows("Hit any key").type("x");
    programming_phase(r.session, r.downloads, link);

    const Screen& asked = r.keys.screen_at_key(0);
    EXPECT_EQ(cells(asked, 51, 65, 4), "  1 ");  // the failure counted and shown at once
    EXPECT_NE(cells(asked, 51, 69, 3), "  0");
    expect_finished(r);
}

TEST(TransmitError, OlderDownloadAsksUntilTheByteGoesOrEscape) {
    RadioRig r(radio_with({}));
    ASSERT_TRUE(open_download_port(r.session));
    // The entry sequence to the radio's code prompt, then the code, as the download sends them.
    for (std::uint8_t byte : {OLDER_ENTRY_BAUD_PAGE, OLDER_SPEED_DIGIT_NORMAL, OLDER_ENTRY_BACK, ENTRY_SERVICE_PAGE}) {
        send_byte(r.session, byte);
        pause_ms(200);
        discard_waiting_input(r.session, 0);
    }
    const DownloadCode code = x71_code();
    for (char c : code.text()) {
        send_byte(r.session, static_cast<std::uint8_t>(c));
        pause_ms(50);
    }
    set_port_option(r.session.channels, PORT_CHANNEL, OPTION_BAUD_RATE, download_baud(SPEED_CODE_NORMAL));
    OneWayHandle refusing(r.radio->path(), O_RDONLY);
    if (!refusing.ok()) GTEST_SKIP() << "a second handle on the port needs root";

    r.keys.when_screen_shows("Error on Transmit Resend? (<esc> to quit) ").type("n");  // nothing sent, asked again
    r.keys.when_screen_shows("Error on Transmit Resend? (<esc> to quit) ").type("Y");  // written again: refused again
    r.keys.when_screen_shows("Error on Transmit Resend? (<esc> to quit) ").press(ESCAPE);
    r.keys.when_screen_shows("Hit any key").type("x");
    const int beeps_before = r.keys.beeps();
    continue_at_older_erase_wait(r.session, r.downloads, refusing.handle());

    const Screen& asked = r.keys.screen_at_key(0);
    EXPECT_EQ(cells(asked, 27, 1, 3), " 0 ");  // the write's own result: it failed
    EXPECT_EQ(cells(asked, 28, 1, 42), "Error on Transmit Resend? (<esc> to quit) ");
    EXPECT_EQ(cells(asked, 51, 65, 4), "  1 ");
    EXPECT_EQ(r.keys.beeps() - beeps_before, 5);  // three questions, two refused writes
    expect_finished(r);
}

}  // namespace
}  // namespace zizuvu
