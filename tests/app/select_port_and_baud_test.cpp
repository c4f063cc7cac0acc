#include <gtest/gtest.h>

#include "app/select_port_and_baud.hpp"
#include "tests/support/program_rig.hpp"

namespace zizuvu {
namespace {

using testing::ProgramRig;

struct Answers {
    ProgramRig rig;
    explicit Answers(std::initializer_list<std::string_view> lines) {
        for (std::string_view line : lines) rig.keys.type_line(line);
        select_port_and_baud(rig.session);
    }
    const PortSettings& settings() { return rig.session.port_settings; }
};

TEST(SelectPortAndBaud, AcceptedAnswersChangeBothSettings) {
    Answers a{"3", "38400"};
    EXPECT_EQ(a.settings().port_name, "Com3");
    EXPECT_EQ(a.settings().baud_rate, 38400);
    EXPECT_EQ(a.rig.keys.beeps(), 0);
    EXPECT_EQ(a.rig.row(1).substr(0, 17), "Com Port Number 3");
    EXPECT_EQ(a.rig.row(2).substr(0, 21), "Setup Baud Rate 38400");
}

TEST(SelectPortAndBaud, ZeroOrEmptyChangesNothing) {
    Answers zeros{"0", "0"};
    EXPECT_EQ(zeros.settings().port_name, "Com1");
    EXPECT_EQ(zeros.settings().baud_rate, 19200);
    Answers empty{"", ""};
    EXPECT_EQ(empty.settings().port_name, "Com1");
    EXPECT_EQ(empty.settings().baud_rate, 19200);
    Answers words{"Com5", "fast"};
    EXPECT_EQ(words.settings().port_name, "Com1");
    EXPECT_EQ(words.settings().baud_rate, 19200);
}

TEST(SelectPortAndBaud, OutOfRangePortsAreAskedAgainOnAClearedScreen) {
    Answers a{"10", "-1", "9.5", "9.4", "0"};
    EXPECT_EQ(a.rig.keys.beeps(), 3);
    EXPECT_EQ(a.settings().port_name, "Com9");
    EXPECT_EQ(a.rig.row(1).substr(0, 19), "Com Port Number 9.4");
    EXPECT_EQ(a.rig.row(3).substr(0, 5), "     ");
}

TEST(SelectPortAndBaud, RefusedSpeedAsksAgainBelowAndThePortStands) {
    Answers a{"4", "1200", "2400", "0"};
    EXPECT_EQ(a.rig.keys.beeps(), 2);
    EXPECT_EQ(a.settings().port_name, "Com4");
    EXPECT_EQ(a.settings().baud_rate, 19200);
    EXPECT_EQ(a.rig.row(1).substr(0, 17), "Com Port Number 4");
    EXPECT_EQ(a.rig.row(2).substr(0, 20), "Setup Baud Rate 1200");
    EXPECT_EQ(a.rig.row(3).substr(0, 20), "Setup Baud Rate 2400");
    EXPECT_EQ(a.rig.row(4).substr(0, 17), "Setup Baud Rate 0");
}

TEST(SelectPortAndBaud, EverySpeedOnTheListAndHexAnswers) {
    for (std::int32_t speed : {4800, 9600, 19200, 38400, 57600, 115200}) {
        Answers a{"", std::to_string(speed)};
        EXPECT_EQ(a.settings().baud_rate, speed);
    }
    Answers hex{"&H2", "&H2580"};
    EXPECT_EQ(hex.settings().port_name, "Com2");
    EXPECT_EQ(hex.settings().baud_rate, 9600);
    Answers huge{"99999999999", "0", "99999999999", "0"};
    EXPECT_EQ(huge.rig.keys.beeps(), 2);
}

TEST(SelectPortAndBaud, LineEditingOfTheAnswer) {
    ProgramRig rig;
    rig.keys.type("7\b5").press(extended_key(SCAN_LEFT)).type("\x1b\t").type_line("").type_line("");
    select_port_and_baud(rig.session);
    EXPECT_EQ(rig.session.port_settings.port_name, "Com5");
    EXPECT_EQ(rig.row(1).substr(0, 17), "Com Port Number 5");
}

TEST(SelectPortAndBaud, TypedLineStopsAt128Characters) {
    ProgramRig rig;
    rig.keys.type(std::string(130, '1')).type_line("").type_line("0");
    select_port_and_baud(rig.session);
    // 128 ones are far too large a port number: refused, asked again.
    EXPECT_EQ(rig.keys.beeps(), 1);
    ProgramRig wrap;
    // 64 characters fill row 1 after the prompt; Backspace at column 1 of row 2 goes
    // back to the last column of row 1.
    wrap.keys.type(std::string(63, ' ') + "9").type("\b").type("3").type_line("").type_line("");
    select_port_and_baud(wrap.session);
    EXPECT_EQ(wrap.session.port_settings.port_name, "Com3");
    EXPECT_EQ(wrap.row(1)[79], '3');
    EXPECT_EQ(wrap.row(3).substr(0, 15), "Setup Baud Rate");  // Enter at column 1 of row 2 moves on to row 3
}

}  // namespace
}  // namespace zizuvu
