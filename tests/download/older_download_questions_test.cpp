// The questions of the X.71-and-older record transfer, each raised by a fault of the
// simulated radio, with what the operator's keys make the program send.
#include <gtest/gtest.h>

#include <thread>

#include "download/download_procedures.hpp"
#include "serial/serial_channel.hpp"
#include "console/text_format.hpp"
#include "tests/support/download_rig.hpp"

namespace zizuvu {
namespace {

using namespace testing;

constexpr KeyText ESCAPE = character_key(KEY_ESCAPE);

std::vector<std::uint8_t> pair_of(std::uint16_t address) {
    return {static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
}

std::uint8_t image_byte(std::uint16_t address) { return image_memory().at(address); }

// Where the program's traffic for a data byte starts: its address pair after the entry.
long pair_position(const std::vector<std::uint8_t>& bytes, std::uint16_t address) {
    return find_bytes(bytes, pair_of(address), 8);
}

RadioRig& older_download(RadioRig& r) {
    r.keys.type_line("Y").type_line("");
    return r;
}

TEST(OlderDownloadQuestions, AddressStallResendsBothBytesWhenNothingCame) {
    const long stalled = 5;
    RadioRig r(radio_with({fault("no-address-echo", stalled), fault("wrong-data-echo", 30)}));
    older_download(r);
    r.keys.when_port_silent().type("x");
    r.keys.when_screen_shows("Waiting for Address Response, Retry?").type("Y");
    r.keys.when_screen_shows("Bad Data!,Continue?").press(ESCAPE);
    r.keys.when_screen_shows("Hit any key").type("x");
    download_older_radio(r.session, r.downloads);

    const Screen& asked = r.keys.screen_at_key(4);
    EXPECT_EQ(cells(asked, 29, 1, 3), " 0 ");
    EXPECT_EQ(cells(asked, 30, 1, 57), "Waiting for Address Response, Retry? (Y or <esc> to quit)");
    // 50 blanks after the answer: the end of the question stays.
    const Screen& later = r.keys.screen_at_key(5);
    EXPECT_EQ(cells(later, 30, 1, 57), std::string(50, ' ') + "o quit)");
    expect_finished(r);

    const auto bytes = r.received();
    const std::uint16_t address = address_of_data_byte(stalled);
    const long first = pair_position(bytes, address);
    ASSERT_GE(first, 0);
    const std::vector<std::uint8_t> pair = pair_of(address);
    std::vector<std::uint8_t> twice = pair;
    twice.insert(twice.end(), pair.begin(), pair.end());
    EXPECT_EQ(find_bytes(bytes, twice, first), first);
}

TEST(OlderDownloadQuestions, AddressStallWithOneByteInResendsTheLowByteAlone) {
    const long stalled = 9;
    RadioRig r(radio_with({fault("half-address-echo", stalled), fault("no-address-echo", 30)}));
    older_download(r);
    r.keys.when_port_silent().type("x");
    r.keys.when_screen_shows("Waiting for Address Response, Retry?").type("y");
    r.keys.when_port_silent().press(ESCAPE);  // the later stall: Escape as the first key ends at once
    r.keys.when_screen_shows("Hit any key").type("x");
    download_older_radio(r.session, r.downloads);

    EXPECT_EQ(cells(r.keys.screen_at_key(4), 29, 1, 3), " 1 ");
    expect_finished(r);
    const auto bytes = r.received();
    const std::uint16_t address = address_of_data_byte(stalled);
    const long first = pair_position(bytes, address);
    ASSERT_GE(first, 0);
    const std::vector<std::uint8_t> low_again = {static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address),
                                                 static_cast<std::uint8_t>(address), image_byte(address)};
    EXPECT_EQ(find_bytes(bytes, low_again, first), first);
}

TEST(OlderDownloadQuestions, WrongAddressEchoSendsAndChecksFFInsteadOfTheImageByte) {
    const long wrong = 12;
    RadioRig r(radio_with({fault("wrong-address-echo", wrong), fault("wrong-address-echo", 40)}));
    older_download(r);
    r.keys.when_screen_shows("Continue? (<esc> to quit) ").type("x");
    r.keys.when_screen_shows("Continue? (<esc> to quit) ").press(ESCAPE);
    r.keys.when_screen_shows("Hit any key").type("x");
    download_older_radio(r.session, r.downloads);

    const std::uint16_t address = address_of_data_byte(wrong);
    const Screen& asked = r.keys.screen_at_key(3);
    EXPECT_EQ(cells(asked, 31, 1, 7 + hex_text(address, 0).size()), "I Sent " + hex_text(address, 0));
    EXPECT_EQ(cells(asked, 32, 1, 7), "I Got  ");
    EXPECT_EQ(cells(asked, 33, 1, 13 + hex_text(image_byte(address), 0).size()),
              "Data Byte is " + hex_text(image_byte(address), 0));
    EXPECT_EQ(cells(asked, 34, 1, 26), "Continue? (<esc> to quit) ");
    EXPECT_FALSE(screen_shows(r.rig.screen(), "Bad Data!")) << "0xFF was echoed as expected";
    expect_finished(r);

    const auto bytes = r.received();
    const long first = pair_position(bytes, address);
    ASSERT_GE(first, 0);
    EXPECT_EQ(bytes.at(static_cast<std::size_t>(first) + 2), 0xFF);
}

TEST(OlderDownloadQuestions, DataStallTakesEvenEscapeOnlyToAskThenResendsTheByte) {
    const long stalled = 6;
    RadioRig r(radio_with({fault("no-data-echo", stalled), fault("no-data-echo", 30)}));
    older_download(r);
    r.keys.when_port_silent().press(ESCAPE);
    r.keys.when_screen_shows("Waiting for Data  Response, Resend?").type("Y");
    r.keys.when_port_silent().type("x");
    r.keys.when_screen_shows("Waiting for Data  Response, Resend?").press(ESCAPE);
    r.keys.when_screen_shows("Hit any key").type("x");
    download_older_radio(r.session, r.downloads);

    const std::uint16_t address = address_of_data_byte(stalled);
    const Screen& asked = r.keys.screen_at_key(4);
    EXPECT_EQ(cells(asked, 35, 1, 7 + hex_text(address, 0).size()), "I Sent " + hex_text(address, 0));
    EXPECT_EQ(cells(asked, 36, 1, 56), "Waiting for Data  Response, Resend? (Y or <esc> to quit)");
    expect_finished(r);

    const auto bytes = r.received();
    const long first = pair_position(bytes, address);
    ASSERT_GE(first, 0);
    const std::vector<std::uint8_t> resent = {static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address),
                                              image_byte(address), image_byte(address)};
    EXPECT_EQ(find_bytes(bytes, resent, first), first);
}

TEST(OlderDownloadQuestions, WrongDataEchoGoesOnWithTheNextAddress) {
    const long wrong = 4;
    RadioRig r(radio_with({fault("wrong-data-echo", wrong), fault("no-address-echo", 25)}));
    older_download(r);
    r.keys.when_screen_shows("Bad Data!,Continue? (<esc> to quit) ").type("x");
    r.keys.when_port_silent().press(ESCAPE);
    r.keys.when_screen_shows("Hit any key").type("x");
    download_older_radio(r.session, r.downloads);

    const std::uint16_t address = address_of_data_byte(wrong);
    const Screen& asked = r.keys.screen_at_key(3);
    EXPECT_EQ(cells(asked, 37, 1, 7 + hex_text(image_byte(address), 0).size()), "I Sent " + hex_text(image_byte(address), 0));
    EXPECT_EQ(cells(asked, 38, 1, 7), "I Got  ");
    EXPECT_EQ(cells(asked, 39, 1, 7 + hex_text(address, 0).size()), "Address" + hex_text(address, 0));
    EXPECT_EQ(cells(asked, 40, 1, 36), "Bad Data!,Continue? (<esc> to quit) ");
    expect_finished(r);

    const auto bytes = r.received();
    const long first = pair_position(bytes, address);
    ASSERT_GE(first, 0);
    const std::uint16_t next = address_of_data_byte(wrong + 1);
    EXPECT_EQ(pair_position(bytes, next), first + 3) << "no resend: the next address follows the data byte";
}

TEST(OlderDownloadQuestions, AnyKeyInTheEraseWaitGoesBackWithoutTheFinish) {
    RadioRig r(radio_with({}, 60000));
    r.keys.type_line("N").type_line("y").when_port_silent().type("z");
    download_older_radio(r.session, r.downloads);
    EXPECT_EQ(r.rig.row(8).substr(0, 17), "Waiting for erase");
    EXPECT_FALSE(screen_shows(r.rig.screen(), "Starting Download"));
    EXPECT_FALSE(screen_shows(r.rig.screen(), "Hit any key"));
    EXPECT_EQ(find_channel_handle(r.session.channels, PORT_CHANNEL), NO_OS_HANDLE);
    EXPECT_TRUE(r.keys.used_up());
}

TEST(OlderDownloadQuestions, OtherFirstAnswersLeaveBeforeAnythingIsOpened) {
    for (const char* answer : {"", "yes", "x"}) {
        ProgramRig rig;
        rig.keys.type_line(answer);
        download_older_radio(rig.session, rig.downloads);
        EXPECT_FALSE(screen_shows(rig.screen(), "High Speed Download")) << answer;
    }
}

TEST(OlderDownloadQuestions, ProgressLineAtTheEighthRecordAndTheCounterCarriesOver) {
    const int stop_record = 8;
    RadioRig r(radio_with({fault("wrong-address-echo", first_data_byte(stop_record))}));
    r.downloads.progress_counter = 0;
    older_download(r);
    r.keys.when_screen_shows("Continue? (<esc> to quit) ").press(ESCAPE);
    r.keys.when_screen_shows("Hit any key").type("x");
    download_older_radio(r.session, r.downloads);
    RecordBuffer record;
    fetch_record(firmware_image(), 7, record);
    const Screen& asked = r.keys.screen_at_key(3);
    const std::string address = hex_text(record.load_address(), 0);
    EXPECT_EQ(cells(asked, 25, 1, 14), address + std::string(14 - address.size(), ' '));
    const std::string count = " " + std::to_string(record.byte_count()) + " ";
    EXPECT_EQ(cells(asked, 25, 15, count.size()), count);
    EXPECT_EQ(r.downloads.progress_counter, 1);
}

TEST(OlderDownloadQuestions, EscapeAtTheAddressQuestionEndsThroughTheFinish) {
    const long stalled = 3;
    RadioRig r(radio_with({fault("no-address-echo", stalled)}));
    older_download(r);
    r.keys.when_port_silent().type("k");
    r.keys.when_screen_shows("Waiting for Address Response, Retry?").press(ESCAPE);
    r.keys.when_screen_shows("Hit any key").type("x");
    download_older_radio(r.session, r.downloads);
    expect_finished(r);
    const auto bytes = r.received();
    const std::uint16_t address = address_of_data_byte(stalled);
    const long first = pair_position(bytes, address);
    ASSERT_GE(first, 0);
    EXPECT_EQ(bytes.size(), static_cast<std::size_t>(first) + 2) << "nothing after the stalled address";
}

TEST(OlderDownloadQuestions, BytesOtherThanTheEraseReportAreDroppedInTheEraseWait) {
    PtyPair radio;
    ASSERT_TRUE(radio.ok());
    ScopedEnvironment com1("ZIZUVU_COM1", radio.port_path());
    ProgramRig rig;
    rig.keys.type_line("N").type_line("");
    rig.keys.when_screen_shows("Starting Download").press(ESCAPE);  // interrupts the first address wait
    rig.keys.when_screen_shows("Hit any key").type("x");
    std::string before_report;
    std::string after_report;
    std::thread radio_side([&] {
        radio.receive(5, std::chrono::seconds(10));  // the entry sequence and the one-character code
        radio.send(std::string("\x00\x55\xAA\xFE", 4));
        before_report = radio.receive(1, std::chrono::milliseconds(300));
        radio.send("\xFF");
        after_report = radio.receive(2, std::chrono::seconds(10));
    });
    download_older_radio(rig.session, rig.downloads);
    radio_side.join();
    EXPECT_EQ(before_report, "") << "the program went on before the erase was reported";
    EXPECT_EQ(after_report.size(), 2U) << "the first address pair follows the report";
    // The garbage went unnoticed: the transfer started only on the report, at its row.
    EXPECT_EQ(rig.row(9).substr(0, 17), "Starting Download");
    EXPECT_EQ(rig.row(29).substr(0, 16), "Program Time is ");
}

}  // namespace
}  // namespace zizuvu
