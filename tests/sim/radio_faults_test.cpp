// Each fault the simulated radio can make, as the program's side of the line sees it,
// and the radio's way out of it that the program's prompts take.
#include <gtest/gtest.h>

#include "download/radio_codes.hpp"
#include "download/radio_protocol.hpp"
#include "tests/sim/radio_driver.hpp"

namespace zizuvu {
namespace {

using testing::bytes_of;
using testing::RadioDriver;

sim::RadioSettings with_fault(const char* wanted) {
    sim::RadioSettings settings;
    std::string why;
    auto fault = sim::parse_fault(wanted, why);
    EXPECT_TRUE(fault) << why;
    if (fault) settings.faults.faults.push_back(*fault);
    return settings;
}

std::string address_of(std::uint16_t a) { return bytes_of({a >> 8U, a & 0xFFU}); }
std::string lead_and(std::uint16_t a) { return bytes_of({FRAME_LEAD}) + address_of(a); }
std::string frame_of(std::uint16_t a, std::uint8_t d) {
    const DataFrame f = scramble_data_byte(a, d);
    return bytes_of({f.scrambled_byte, f.check_byte});
}
std::string ack_of(std::uint16_t a, std::uint8_t d) { return bytes_of({scramble_data_byte(a, d).acknowledgement}); }
const std::string RESYNC_BYTES = bytes_of({0xFF, 0xFF, 0xFF, 0xFF});

// An X.72 radio erased and programming at 115200, with data byte 0 already through.
RadioDriver programming(const char* fault) {
    RadioDriver d(with_fault(fault));
    d.feed("4");
    d.feed(mode_command().text());
    d.feed(bytes_of({SPEED_CODE_HIGH, 0x00, 0x01}));
    d.baud = 115200;
    d.after_ms(5);
    d.feed(bytes_of({ERASE_REQUEST}));
    d.after_ms(400);
    d.feed(lead_and(0x1000));
    d.feed(frame_of(0x1000, 0x10));
    return d;
}

// An X.71 radio reporting its erase done at 115200.
RadioDriver older_programming(const char* fault) {
    RadioDriver d(with_fault(fault));
    d.feed(bytes_of({OLDER_ENTRY_BAUD_PAGE, OLDER_SPEED_DIGIT_HIGH, OLDER_ENTRY_BACK, ENTRY_SERVICE_PAGE}));
    d.feed(x71_code().text());
    d.baud = 115200;
    EXPECT_EQ(d.after_ms(500), bytes_of({ERASE_DONE_OLDER}));
    return d;
}

TEST(RadioFaults, CurrentAddressEchoLostThenResync) {
    RadioDriver d = programming("no-address-echo@1");
    EXPECT_EQ(d.feed(lead_and(0x1001)), "");
    d.feed(RESYNC_BYTES);
    EXPECT_EQ(d.feed(lead_and(0x1001)), address_of(0x1001));
    EXPECT_EQ(d.feed(frame_of(0x1001, 0x11)), ack_of(0x1001, 0x11));
}

TEST(RadioFaults, CurrentAddressEchoHalfOrWrongThenResync) {
    RadioDriver half = programming("half-address-echo@1");
    EXPECT_EQ(half.feed(lead_and(0x1001)), bytes_of({0x10}));
    EXPECT_EQ(half.feed(RESYNC_BYTES), "");
    EXPECT_EQ(half.feed(lead_and(0x1001)), address_of(0x1001));
    RadioDriver wrong = programming("wrong-address-echo@1");
    EXPECT_EQ(wrong.feed(lead_and(0x1001)), address_of(0x1000));
    EXPECT_EQ(wrong.feed(RESYNC_BYTES), "");
    EXPECT_EQ(wrong.feed(lead_and(0x1001)), address_of(0x1001));
    EXPECT_EQ(wrong.feed(frame_of(0x1001, 0x11)), ack_of(0x1001, 0x11));
    EXPECT_EQ(wrong.radio.violation_count, 0);
}

TEST(RadioFaults, CurrentAcknowledgementLostOrWrong) {
    RadioDriver lost = programming("no-acknowledgement@1");
    lost.feed(lead_and(0x1001));
    EXPECT_EQ(lost.feed(frame_of(0x1001, 0x11)), "");
    EXPECT_FALSE(lost.radio.memory.programmed[0x1001]);
    EXPECT_EQ(lost.feed(RESYNC_BYTES), "");
    lost.feed(lead_and(0x1001));
    EXPECT_EQ(lost.feed(frame_of(0x1001, 0x11)), ack_of(0x1001, 0x11));
    RadioDriver wrong = programming("wrong-acknowledgement@1");
    wrong.feed(lead_and(0x1001));
    const std::string ack = wrong.feed(frame_of(0x1001, 0x11));
    ASSERT_EQ(ack.size(), 1U);
    EXPECT_NE(ack, ack_of(0x1001, 0x11));
    EXPECT_EQ(wrong.radio.memory.bytes[0x1001], 0x11);
    EXPECT_EQ(lost.radio.violation_count + wrong.radio.violation_count, 0);
}

TEST(RadioFaults, StallLosesWhatArrivesUntilItEnds) {
    RadioDriver d = programming("stall@1:800");
    EXPECT_EQ(d.feed(lead_and(0x1001)), "");
    d.wait_ms(500);
    EXPECT_EQ(d.feed(RESYNC_BYTES + lead_and(0x1001)), "");  // still stalled: lost
    d.wait_ms(400);
    d.feed(RESYNC_BYTES);
    EXPECT_EQ(d.feed(lead_and(0x1001)), address_of(0x1001));
    EXPECT_EQ(d.radio.violation_count, 0);
}

TEST(RadioFaults, NoiseArrivesAheadOfTheEcho) {
    RadioDriver d = programming("noise@1:3");
    const std::string echo = d.feed(lead_and(0x1001));
    ASSERT_EQ(echo.size(), 5U);
    EXPECT_EQ(echo.substr(3), address_of(0x1001));
}

TEST(RadioFaults, SilentIdentificationAndOtherLead) {
    RadioDriver silent(with_fault("silent-identification"));
    silent.feed("4");
    silent.feed(mode_command().text());
    silent.feed(bytes_of({SPEED_CODE_NORMAL, 0x12, 0x34}));
    silent.baud = 38400;
    EXPECT_EQ(silent.after_ms(50), "");
    RadioDriver lead(with_fault("identification-lead=0x7E"));
    lead.feed("4");
    lead.feed(mode_command().text());
    lead.feed(bytes_of({SPEED_CODE_NORMAL, 0x04, 0xD2}));
    lead.baud = 38400;
    EXPECT_EQ(lead.after_ms(50), bytes_of({0x7E, 0xEB, 0xE5, 0x12}));
}

TEST(RadioFaults, EraseReplyOtherThanAAThenFFAndTheOlderExchange) {
    RadioDriver d(with_fault("erase-reply=0x55"));
    d.feed("4");
    d.feed(mode_command().text());
    d.feed(bytes_of({SPEED_CODE_HIGH, 0, 9}));
    d.baud = 115200;
    d.after_ms(5);
    // The other reply comes when the erase is over, as 0xAA would; the older report after it.
    EXPECT_EQ(d.feed(bytes_of({ERASE_REQUEST})), "");
    EXPECT_EQ(d.after_ms(350), bytes_of({0x55}));
    EXPECT_EQ(d.after_ms(150), bytes_of({ERASE_DONE_OLDER}));
    EXPECT_EQ(d.feed(address_of(0x2000)), address_of(0x2000));  // no lead, plain echoes
    EXPECT_EQ(d.feed(bytes_of({0x77})), bytes_of({0x77}));
    EXPECT_EQ(d.radio.memory.bytes[0x2000], 0x77);
}

TEST(RadioFaults, OlderAddressEchoLostHalfOrWrong) {
    RadioDriver lost = older_programming("no-address-echo@0");
    EXPECT_EQ(lost.feed(address_of(0x1000)), "");
    EXPECT_EQ(lost.feed(address_of(0x1000)), address_of(0x1000));  // "Y": both bytes again
    EXPECT_EQ(lost.feed(bytes_of({0x42})), bytes_of({0x42}));
    RadioDriver half = older_programming("half-address-echo@0");
    EXPECT_EQ(half.feed(address_of(0x1000)), bytes_of({0x10}));
    EXPECT_EQ(half.feed(bytes_of({0x00})), bytes_of({0x00}));  // "Y" with one waiting: the low byte again
    EXPECT_EQ(half.feed(bytes_of({0x42})), bytes_of({0x42}));
    RadioDriver wrong = older_programming("wrong-address-echo@0");
    EXPECT_EQ(wrong.feed(address_of(0x1000)), address_of(0x1001));
    EXPECT_EQ(wrong.feed(bytes_of({0xFF})), bytes_of({0xFF}));  // the program goes on with 0xFF
    EXPECT_EQ(wrong.radio.memory.bytes[0x1000], 0xFF);
}

TEST(RadioFaults, OlderDataEchoLostOrWrong) {
    RadioDriver lost = older_programming("no-data-echo@0");
    lost.feed(address_of(0x1000));
    EXPECT_EQ(lost.feed(bytes_of({0x42})), "");
    EXPECT_FALSE(lost.radio.memory.programmed[0x1000]);
    EXPECT_EQ(lost.feed(bytes_of({0x42})), bytes_of({0x42}));  // "Y": the data byte again
    RadioDriver wrong = older_programming("wrong-data-echo@0");
    wrong.feed(address_of(0x1000));
    EXPECT_EQ(wrong.feed(bytes_of({0x42})), bytes_of({0x43}));
    EXPECT_EQ(wrong.radio.memory.bytes[0x1000], 0x42);
    EXPECT_EQ(wrong.feed(address_of(0x1001)), address_of(0x1001));
}

TEST(RadioFaults, EachStrikesOnceAtItsByte) {
    RadioDriver d = older_programming("wrong-data-echo@1");
    d.feed(address_of(0x1000));
    EXPECT_EQ(d.feed(bytes_of({0x42})), bytes_of({0x42}));
    d.feed(address_of(0x1001));
    EXPECT_EQ(d.feed(bytes_of({0x42})), bytes_of({0x43}));
    d.feed(address_of(0x1001));
    EXPECT_EQ(d.feed(bytes_of({0x42})), bytes_of({0x42}));
}

}  // namespace
}  // namespace zizuvu
