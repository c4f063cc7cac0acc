// The questions of the X.72-and-newer programming phase, each raised by a fault of
// the simulated radio, with what the operator's keys make the program send.
#include <gtest/gtest.h>
#include <sched.h>

#include "download/download_procedures.hpp"
#include "download/radio_protocol.hpp"
#include "serial/serial_channel.hpp"
#include "console/text_format.hpp"
#include "tests/support/download_rig.hpp"

namespace zizuvu {
namespace {

using namespace testing;

constexpr std::uint8_t ESC = KEY_ESCAPE;

std::vector<std::uint8_t> address_frame(std::uint16_t address) {
    return {FRAME_LEAD, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
}

RadioRig& start_download(RadioRig& r) {
    r.keys.type_line("Y").type_line("");
    return r;
}

TEST(CurrentDownloadQuestions, AddressStallRetriesOnAnyKeyButEscapeWithAResync) {
    const long stalled = 5;
    RadioRig r(radio_with({fault("no-address-echo", stalled), fault("wrong-address-echo", 40)}));
    start_download(r);
    r.keys.when_port_silent().type("n");  // not "Y": any key but Escape retries
    r.keys.when_screen_shows("Waiting for Address Response, Retry?").type("n");
    r.keys.when_screen_shows("Continue?(<esc> to quit)").press(character_key(ESC));
    r.keys.when_screen_shows("Hit any key").type("x");
    download_current_radio(r.session, r.downloads);

    const Screen& asked = r.keys.screen_at_key(4);
    EXPECT_EQ(cells(asked, 30, 1, 80), "Waiting for Address Response, Retry? (Y or <esc> to quit)" + std::string(23, ' '));
    EXPECT_EQ(cell_at(asked, 30, 1).attribute, 0x1E);
    // The answer blanked the row: nothing of the longer first question shows behind the next one.
    const Screen& next_question = r.keys.screen_at_key(5);
    EXPECT_EQ(cells(next_question, 30, 54, 27), std::string(27, ' '));
    EXPECT_EQ(cell_at(next_question, 30, 60).attribute, 0x0F);
    expect_finished(r);

    const auto bytes = r.received();
    const auto frame = address_frame(address_of_data_byte(stalled));
    const long first = find_bytes(bytes, frame);
    ASSERT_GE(first, 0);
    std::vector<std::uint8_t> resync_then_frame(RESYNC.begin(), RESYNC.end());
    resync_then_frame.insert(resync_then_frame.end(), frame.begin(), frame.end());
    EXPECT_EQ(find_bytes(bytes, resync_then_frame, first), first + 3) << "the same byte starts again after the resync";
}

TEST(CurrentDownloadQuestions, EscapeInterruptingTheAddressWaitEndsAtOnce) {
    RadioRig r(radio_with({fault("no-address-echo", 5)}));
    start_download(r);
    r.keys.when_port_silent().press(character_key(ESC));
    r.keys.when_screen_shows("Hit any key").type("x");
    download_current_radio(r.session, r.downloads);
    EXPECT_FALSE(testing::screen_shows(r.keys.screen_at_key(4), "Waiting for Address Response"));
    expect_finished(r);
    const auto bytes = r.received();
    std::vector<std::uint8_t> resync(RESYNC.begin(), RESYNC.end());
    EXPECT_EQ(find_bytes(bytes, resync), -1) << "nothing resent";
}

TEST(CurrentDownloadQuestions, WrongEchoShowsBothAddressesAndResyncs) {
    const long wrong = first_data_byte(6);
    RadioRig r(radio_with({fault("wrong-address-echo", wrong), fault("wrong-acknowledgement", wrong + 20)}));
    start_download(r);
    r.keys.when_screen_shows("Continue?(<esc> to quit)").type("x");
    r.keys.when_screen_shows("Bad Data!,Continue?(<esc> to quit)").press(character_key(ESC));
    r.keys.when_screen_shows("Hit any key").type("x");
    const int beeps_before = r.keys.beeps();
    download_current_radio(r.session, r.downloads);

    const std::uint16_t address = address_of_data_byte(wrong);
    const Screen& echo_question = r.keys.screen_at_key(3);
    EXPECT_EQ(cells(echo_question, 30, 1, 7 + hex_text(address, 0).size()), "I Sent " + hex_text(address, 0));
    EXPECT_EQ(cells(echo_question, 30, 15, 6), "I Got ");
    EXPECT_NE(cells(echo_question, 30, 21, 4), hex_text(address, 0).substr(0, 4)) << "the echo shown is the wrong one";
    EXPECT_EQ(cells(echo_question, 30, 29, 25), "Continue?(<esc> to quit) ");
    EXPECT_EQ(cell_at(echo_question, 30, 29).attribute, 0x1E);

    const std::uint16_t bad = address_of_data_byte(wrong + 20);
    const Screen& data_question = r.keys.screen_at_key(4);
    EXPECT_EQ(cells(data_question, 30, 29, 8 + hex_text(bad, 0).size()), "Address " + hex_text(bad, 0));
    EXPECT_EQ(cells(data_question, 30, 43, 35), "Bad Data!,Continue?(<esc> to quit) ");
    EXPECT_EQ(cells(data_question, 30, 1, 7), "I Sent ");
    EXPECT_EQ(cells(data_question, 30, 15, 6), "I Got ");
    EXPECT_GE(r.keys.beeps() - beeps_before, 2);
    expect_finished(r);

    const auto bytes = r.received();
    const auto frame = address_frame(address);
    const long first = find_bytes(bytes, frame);
    ASSERT_GE(first, 0);
    std::vector<std::uint8_t> resync_then_frame(RESYNC.begin(), RESYNC.end());
    resync_then_frame.insert(resync_then_frame.end(), frame.begin(), frame.end());
    EXPECT_EQ(find_bytes(bytes, resync_then_frame, first), first + 3);
}

TEST(CurrentDownloadQuestions, AcknowledgementStallTakesTheFirstKeyEvenEscapeOnlyToAsk) {
    const long stalled = 7;
    RadioRig r(radio_with({fault("no-acknowledgement", stalled), fault("wrong-address-echo", 30)}));
    start_download(r);
    r.keys.when_port_silent().press(character_key(ESC));  // dropped: it only raises the question
    r.keys.when_screen_shows("Waiting for Data  Response, Resend?").type("r");
    r.keys.when_screen_shows("Continue?(<esc> to quit)").press(character_key(ESC));
    r.keys.when_screen_shows("Hit any key").type("x");
    download_current_radio(r.session, r.downloads);

    const std::uint16_t address = address_of_data_byte(stalled);
    const Screen& asked = r.keys.screen_at_key(4);
    EXPECT_EQ(cells(asked, 30, 1, 7 + hex_text(address, 0).size()), "I Sent " + hex_text(address, 0));
    const std::string question = " Waiting for Data  Response, Resend? (<esc> to quit)";
    EXPECT_EQ(cells(asked, 30, 15, question.size()), question);
    expect_finished(r);

    const auto bytes = r.received();
    const auto frame = address_frame(address);
    const long first = find_bytes(bytes, frame);
    ASSERT_GE(first, 0);
    // Address, data frame, then the resync and the same address again.
    std::vector<std::uint8_t> resync_then_frame(RESYNC.begin(), RESYNC.end());
    resync_then_frame.insert(resync_then_frame.end(), frame.begin(), frame.end());
    EXPECT_EQ(find_bytes(bytes, resync_then_frame, first), first + 5);
}

TEST(CurrentDownloadQuestions, ProgressLineAtTheFourthRecordOfAFreshRun) {
    // Records 0..5 of the sample image load below 0x1000: counted, not sent. The first
    // byte sent (record 6) gets a wrong echo; by then only record 3 has been shown.
    RadioRig r(radio_with({fault("wrong-address-echo", first_data_byte(6))}));
    start_download(r);
    r.keys.when_screen_shows("Continue?(<esc> to quit)").press(character_key(ESC));
    r.keys.when_screen_shows("Hit any key").type("x");
    download_current_radio(r.session, r.downloads);
    const Screen& at_question = r.keys.screen_at_key(3);
    RecordBuffer record;
    fetch_record(firmware_image(), 3, record);
    EXPECT_EQ(row_text(at_question, 25).substr(0, 8), "    3   ");
    const std::string address = hex_text(record.load_address(), 0);
    EXPECT_EQ(row_text(at_question, 25).substr(8, address.size()), address);
    EXPECT_EQ(r.downloads.progress_counter, 3);  // records 4, 5 and 6 since
}

struct StallQuestion {
    const char* fault_kind;
    const char* question;
};

class EscapeAtStallQuestion : public ::testing::TestWithParam<StallQuestion> {};

TEST_P(EscapeAtStallQuestion, EndsThroughTheFinishWithNothingResent) {
    RadioRig r(radio_with({fault(GetParam().fault_kind, 9)}));
    start_download(r);
    r.keys.when_port_silent().type("k");
    r.keys.when_screen_shows(GetParam().question).press(character_key(ESC));
    r.keys.when_screen_shows("Hit any key").type("x");
    download_current_radio(r.session, r.downloads);
    expect_finished(r);
    const auto bytes = r.received();
    const std::vector<std::uint8_t> resync(RESYNC.begin(), RESYNC.end());
    EXPECT_EQ(find_bytes(bytes, resync), -1);
}

INSTANTIATE_TEST_SUITE_P(Questions, EscapeAtStallQuestion,
                         ::testing::Values(StallQuestion{"no-address-echo", "Waiting for Address Response, Retry?"},
                                           StallQuestion{"no-acknowledgement", "Waiting for Data  Response, Resend?"}),
                         [](const auto& test) { return std::string(test.index == 0 ? "Address" : "Acknowledgement"); });

}  // namespace
}  // namespace zizuvu
