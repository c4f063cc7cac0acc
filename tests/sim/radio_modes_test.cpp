// The simulated radio's behaviour, driven in-process: its setup menu, the way into each
// download mode, both exchanges, the retry, the checks it makes and the way back.
#include <gtest/gtest.h>

#include "download/radio_codes.hpp"
#include "download/radio_protocol.hpp"
#include "tests/sim/radio_driver.hpp"

namespace zizuvu {
namespace {

using testing::bytes_of;
using testing::RadioDriver;

sim::RadioSettings settings_with(std::initializer_list<const char*> faults = {}, sim::Generation generation = sim::Generation::any) {
    sim::RadioSettings settings;
    settings.serial_number = 123456;
    settings.generation = generation;
    for (const char* wanted : faults) {
        std::string why;
        auto fault = sim::parse_fault(wanted, why);
        EXPECT_TRUE(fault) << why;
        if (fault) settings.faults.faults.push_back(*fault);
    }
    return settings;
}

std::string address_of(std::uint16_t address) { return bytes_of({address >> 8U, address & 0xFFU}); }

// X.72 handshake up to the identification; the line then at the download speed.
std::string enter_current(RadioDriver& d, int speed_code, std::uint16_t challenge) {
    d.baud = HANDSHAKE_BAUD;
    d.feed("4");
    d.feed(mode_command().text());
    d.feed(bytes_of({speed_code, challenge >> 8U, challenge & 0xFFU}));
    d.wait_ms(10);
    d.baud = download_baud(speed_code);
    return d.after_ms(5);
}

void erase_current(RadioDriver& d) {
    d.feed(bytes_of({ERASE_REQUEST}));
    EXPECT_EQ(d.after_ms(d.radio.settings.erase_ms + 1), bytes_of({ERASE_DONE}));
}

// One X.72 exchange: what came back for the address, what for the frame.
std::pair<std::string, std::string> exchange(RadioDriver& d, std::uint16_t address, std::uint8_t data) {
    const std::string echo = d.feed(bytes_of({FRAME_LEAD}) + address_of(address));
    const DataFrame frame = scramble_data_byte(address, data);
    return {echo, d.feed(bytes_of({frame.scrambled_byte, frame.check_byte}))};
}

std::string ack_of(std::uint16_t address, std::uint8_t data) {
    return bytes_of({scramble_data_byte(address, data).acknowledgement});
}

void enter_older(RadioDriver& d, std::uint8_t speed_digit, std::string_view code, int download) {
    d.baud = HANDSHAKE_BAUD;
    d.feed(bytes_of({OLDER_ENTRY_BAUD_PAGE, speed_digit, OLDER_ENTRY_BACK, ENTRY_SERVICE_PAGE}));
    d.feed(code);
    d.wait_ms(12);
    d.baud = download;
    d.wait_ms(200);  // a code that may be the start of a longer one is taken after a quiet
}

TEST(SimulatedRadio, SetupMenuAnswersKeysWithLinesEndingInCrLf) {
    RadioDriver d;
    d.baud = 9600;
    const std::string main = d.feed("\r");
    EXPECT_NE(main.find("SETUP MENU\r\n"), std::string::npos);
    EXPECT_NE(main.find("serial 123456"), std::string::npos);
    for (std::size_t i = 0; i < main.size(); ++i) {
        if (main[i] == '\n') {
            EXPECT_EQ(main[i - 1], '\r') << "bare line feed at " << i;
        }
    }
    EXPECT_NE(d.feed("1").find("DATA PORT BAUD RATE (now 38400)"), std::string::npos);
    EXPECT_NE(d.feed("1").find("Baud rate set to 115200"), std::string::npos);
    EXPECT_NE(d.feed("\x1b").find("Data port baud rate ......... 115200"), std::string::npos);
    EXPECT_NE(d.feed("x").find("Invalid choice"), std::string::npos);
    EXPECT_EQ(d.feed(bytes_of({0, 0x48})), "");  // a key without a character: nothing
    EXPECT_EQ(d.feed(bytes_of({0xFF})), "");     // F1 alone: nothing
    d.feed("6");
    const std::string name(100, 'n');
    EXPECT_EQ(d.feed(name + "\b"), name + "\b \b");
    EXPECT_NE(d.feed("\r").find("Radio name .................. " + name.substr(1)), std::string::npos);
    EXPECT_EQ(d.radio.mode, sim::RadioMode::setup_menu);
    EXPECT_EQ(d.radio.violation_count, 0);
}

TEST(SimulatedRadio, CurrentDownloadIdentifiesWithTheKnownAnswers) {
    RadioDriver a(settings_with());
    EXPECT_EQ(enter_current(a, SPEED_CODE_HIGH, 1234), bytes_of({0xFF, 0xEB, 0xE5, 0x12}));
    sim::RadioSettings other = settings_with();
    other.serial_number = 11259375;
    RadioDriver b(other);
    EXPECT_EQ(enter_current(b, SPEED_CODE_NORMAL, 65535), bytes_of({0xFF, 0x32, 0x11, 0x54}));
    EXPECT_EQ(b.radio.download_baud, 38400);
    EXPECT_EQ(a.radio.violation_count + b.radio.violation_count, 0);
}

TEST(SimulatedRadio, CurrentDownloadProgramsAndAcknowledgesWithTheKnownAnswers) {
    RadioDriver d(settings_with());
    enter_current(d, SPEED_CODE_HIGH, 777);
    erase_current(d);
    EXPECT_EQ(exchange(d, 0x1234, 0xA5), std::make_pair(address_of(0x1234), bytes_of({0xE9})));
    EXPECT_EQ(exchange(d, 0xFFFF, 0x7E), std::make_pair(address_of(0xFFFF), bytes_of({0x7F})));
    EXPECT_EQ(d.radio.memory.bytes[0x1234], 0xA5);
    EXPECT_EQ(d.radio.memory.bytes[0xFFFF], 0x7E);
    EXPECT_EQ(sim::programmed_count(d.radio.memory), 2);
    EXPECT_EQ(d.radio.violation_count, 0);
    // A radio stopped straight after the byte at 0xFFFF says the download completed.
    EXPECT_NE(sim::summary_text(d.radio).find("1 downloads started, 1 completed"), std::string::npos)
        << sim::summary_text(d.radio);
    // The byte at 0xFFFF, then quiet: the download is over and the menu is back.
    d.wait_ms(600);
    EXPECT_EQ(d.radio.mode, sim::RadioMode::setup_menu);
    EXPECT_EQ(d.radio.downloads_completed, 1);
}

TEST(SimulatedRadio, ARecordRunningOnPast0xFFFFKeepsTheDownloadGoing) {
    RadioDriver d(settings_with());
    enter_current(d, SPEED_CODE_HIGH, 1);
    erase_current(d);
    exchange(d, 0xFFFF, 1);
    EXPECT_EQ(exchange(d, 0x0000, 2).second, ack_of(0x0000, 2));
    EXPECT_EQ(d.radio.mode, sim::RadioMode::current_download);
}

TEST(SimulatedRadio, CurrentDownloadReportsWhatIsWrongOnTheLine) {
    RadioDriver d(settings_with());
    enter_current(d, SPEED_CODE_HIGH, 1);
    erase_current(d);
    d.feed(bytes_of({FRAME_LEAD}) + address_of(0x2000));
    const DataFrame frame = scramble_data_byte(0x2000, 0x11);
    // A bad check byte: not programmed, answered with something other than the acknowledgement.
    const std::string answer = d.feed(bytes_of({frame.scrambled_byte, frame.check_byte ^ 0x01}));
    EXPECT_NE(answer, bytes_of({frame.acknowledgement}));
    EXPECT_FALSE(d.radio.memory.programmed[0x2000]);
    EXPECT_EQ(d.radio.violation_count, 1);
    d.feed(bytes_of({0x42}));  // not the lead
    EXPECT_EQ(d.radio.violation_count, 2);
    d.baud = 38400;             // the wrong speed
    exchange(d, 0x2001, 0x22);
    EXPECT_GE(d.radio.violation_count, 5);
    d.baud = 115200;
    const long before = d.radio.violation_count;
    d.feed(bytes_of({FRAME_LEAD}) + address_of(0x2002));
    d.feed(bytes_of({0x00}), /*pending=*/true);  // the frame before the echo was through
    EXPECT_EQ(d.radio.violation_count, before + 1);
    EXPECT_NE(d.radio.violations[0].find("check byte"), std::string::npos);
}

TEST(SimulatedRadio, FourFFResynchroniseWhereverTheExchangeStands) {
    RadioDriver d(settings_with());
    enter_current(d, SPEED_CODE_HIGH, 1);
    erase_current(d);
    // After the echo, before the frame (prompt B of the program): no answer to the FFs.
    d.feed(bytes_of({FRAME_LEAD}) + address_of(0x3000));
    EXPECT_EQ(d.feed(bytes_of({0xFF, 0xFF, 0xFF, 0xFF})), "");
    EXPECT_EQ(exchange(d, 0x3000, 0x33).second, ack_of(0x3000, 0x33));
    // After a whole exchange (prompt E).
    EXPECT_EQ(d.feed(bytes_of({0xFF, 0xFF, 0xFF, 0xFF})), "");
    EXPECT_EQ(exchange(d, 0x3001, 0x34).second, ack_of(0x3001, 0x34));
    EXPECT_EQ(d.radio.resyncs, 2);
    EXPECT_EQ(d.radio.violation_count, 0);
}

TEST(SimulatedRadio, RetryFromTheSetupMenuAtADownloadSpeedOnly) {
    RadioDriver d(settings_with());
    d.baud = 19200;
    EXPECT_EQ(d.feed(bytes_of({0xFF, 0xFF, 0xFF, 0xFF})), "");
    EXPECT_EQ(d.radio.mode, sim::RadioMode::setup_menu);
    d.baud = 38400;
    d.feed(bytes_of({0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(d.radio.mode, sim::RadioMode::current_download);
    EXPECT_EQ(exchange(d, 0x1000, 0x10), std::make_pair(address_of(0x1000), ack_of(0x1000, 0x10)));
    RadioDriver older(settings_with({}, sim::Generation::x71));
    older.baud = 38400;
    older.feed(bytes_of({0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(older.radio.mode, sim::RadioMode::setup_menu);
}

TEST(SimulatedRadio, HandshakeSpeedAndSpeedSwitchAreChecked) {
    RadioDriver d(settings_with());
    d.baud = 9600;
    d.feed("4");
    d.feed(mode_command().text());
    EXPECT_EQ(d.radio.violation_count, 4);  // every byte of the command at 9600
    d.baud = 19200;
    d.feed(bytes_of({SPEED_CODE_HIGH, 0x12, 0x34}));
    // The program never moves to 115200: the radio waits, then answers and reports it.
    EXPECT_EQ(d.after_ms(1000), "");
    EXPECT_EQ(d.after_ms(1100).size(), 4U);
    EXPECT_EQ(d.radio.violation_count, 5);
    RadioDriver bad(settings_with());
    bad.feed("4");
    bad.feed(mode_command().text());
    bad.feed(bytes_of({7}));
    EXPECT_EQ(bad.radio.mode, sim::RadioMode::setup_menu);
    EXPECT_EQ(bad.radio.violation_count, 1);
}

TEST(SimulatedRadio, UnfinishedDownloadsGoBackToTheMenu) {
    sim::RadioSettings settings = settings_with();
    settings.resync_timeout_ms = 3000;
    RadioDriver d(settings);
    enter_current(d, SPEED_CODE_HIGH, 1);
    erase_current(d);
    exchange(d, 0x1000, 1);
    d.wait_ms(2900);
    EXPECT_EQ(d.radio.mode, sim::RadioMode::current_download);
    d.wait_ms(200);
    EXPECT_EQ(d.radio.mode, sim::RadioMode::setup_menu);
    EXPECT_EQ(d.radio.downloads_completed, 0);
    // A program starting afresh at 19200 finds the menu at once.
    RadioDriver e(settings_with());
    enter_current(e, SPEED_CODE_HIGH, 1);
    erase_current(e);
    exchange(e, 0x1000, 1);
    e.baud = 19200;
    EXPECT_NE(e.feed("4").find("Enter service code"), std::string::npos) << e.notes_text();
    EXPECT_EQ(e.radio.violation_count, 0);
}

TEST(SimulatedRadio, OlderDownloadEntryEraseAndEchoes) {
    for (const auto& [digit, code, download] :
         {std::tuple{OLDER_SPEED_DIGIT_HIGH, x71_code(), 115200}, std::tuple{OLDER_SPEED_DIGIT_NORMAL, x71_code_before_545(), 38400}}) {
        RadioDriver d(settings_with());
        d.radio.memory.bytes[0x5000] = 0x00;
        enter_older(d, digit, code.text(), download);
        EXPECT_EQ(d.radio.mode, sim::RadioMode::older_download) << "code " << code.text();
        EXPECT_EQ(d.radio.download_baud, download);
        EXPECT_EQ(d.after_ms(d.radio.settings.erase_ms), bytes_of({ERASE_DONE_OLDER}));
        EXPECT_EQ(d.radio.memory.bytes[0x5000], 0xFF);  // erased
        EXPECT_EQ(d.feed(address_of(0x1234)), address_of(0x1234));
        EXPECT_EQ(d.feed(bytes_of({0x5A})), bytes_of({0x5A}));
        EXPECT_EQ(d.radio.memory.bytes[0x1234], 0x5A);
        EXPECT_EQ(d.radio.violation_count, 0);
    }
}

TEST(SimulatedRadio, OlderCodesAreTheFirmwaresOwn) {
    RadioDriver current_only(settings_with({}, sim::Generation::x72));
    enter_older(current_only, OLDER_SPEED_DIGIT_HIGH, x71_code().text(), 115200);
    EXPECT_EQ(current_only.radio.mode, sim::RadioMode::setup_menu);
    // The one-character code is taken at once where no longer code could follow it, and
    // after a quiet where the four-character code starts with it.
    for (const auto generation : {sim::Generation::older, sim::Generation::any}) {
        RadioDriver d(settings_with({}, generation));
        d.feed(bytes_of({OLDER_ENTRY_BAUD_PAGE, OLDER_SPEED_DIGIT_HIGH, OLDER_ENTRY_BACK, ENTRY_SERVICE_PAGE}));
        d.feed(x71_code_before_545().text());
        const bool at_once = d.radio.mode == sim::RadioMode::older_download;
        EXPECT_EQ(at_once, generation == sim::Generation::older);
        d.wait_ms(160);
        EXPECT_EQ(d.radio.mode, sim::RadioMode::older_download);
    }
}

TEST(SimulatedRadio, OlderDownloadAtTheWrongSpeedIsReported) {
    RadioDriver d(settings_with());
    enter_older(d, OLDER_SPEED_DIGIT_HIGH, x71_code().text(), 38400);  // the program stays at 38400
    d.wait_ms(d.radio.settings.erase_ms + 2100);
    EXPECT_EQ(d.take(), bytes_of({ERASE_DONE_OLDER}));
    EXPECT_EQ(d.radio.violation_count, 1);
    d.feed(address_of(0x1000));
    EXPECT_EQ(d.radio.violation_count, 3);
}

}  // namespace
}  // namespace zizuvu
