#include "ports/port_explanation.hpp"

#include <gtest/gtest.h>

#include <cerrno>

namespace zizuvu {
namespace {

PortState missing(int error, const std::string& link_target = "") {
    PortState state;
    state.condition = PortCondition::missing;
    state.error = error;
    state.link_target = link_target;
    return state;
}

PortState present() {
    PortState state;
    state.condition = PortCondition::present;
    return state;
}

PortState held_by(std::vector<PortHolder> holders) {
    PortState state;
    state.condition = PortCondition::in_use;
    state.holders = std::move(holders);
    return state;
}

PortState not_serial(const std::string& kind) {
    PortState state;
    state.condition = PortCondition::not_a_serial_device;
    state.kind = kind;
    return state;
}

PortState denied(const std::string& owner, const std::string& group, unsigned mode, bool now, bool at_login) {
    PortState state;
    state.condition = PortCondition::no_permission;
    state.error = EACCES;
    state.access = PortAccess{"tech", owner, group, mode, (mode & 060U) == 060U, now, at_login};
    return state;
}

PortState folder_closed() {
    PortState state;
    state.condition = PortCondition::no_permission;
    state.error = EACCES;
    return state;
}

TEST(PortExplanation, EachErrorAndStateGetsItsWordsAndFix) {
    const std::string usb = "/dev/ttyUSB0";
    const std::string by_id = "/dev/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0";
    struct Case {
        int error;
        std::string path;
        PortState state;
        std::string text;
    };
    const Case cases[] = {
        {53, usb, missing(ENOENT), "no device at /dev/ttyUSB0: plugged in?"},
        {72, usb, missing(ENOENT), "no device at /dev/ttyUSB0: plugged in?"},
        {53, by_id, missing(ENOENT), "no device at ...102_USB_to_UART_Bridge_Controller_0001-if00-port0: plugged in?"},
        {53, by_id, missing(ENOENT, "/dev/ttyUSB3"),
         "...ontroller_0001-if00-port0 leads to /dev/ttyUSB3, which is gone: plugged in?"},
        {53, usb, present(), "no device at /dev/ttyUSB0 when opened; there is one now: try again"},
        {70, usb, held_by({{4242, "picocom"}}), "in use by picocom (PID 4242)"},
        {70, usb, held_by({{4242, "picocom"}, {77, "ModemManager"}}), "in use by picocom (PID 4242) and 1 more"},
        {70, usb, held_by({{4242, ""}}), "in use by another program (PID 4242)"},
        {70, usb, denied("root", "dialout", 0660, false, false),
         "not in group dialout: sudo usermod -aG dialout tech, then log in again"},
        {70, usb, denied("root", "dialout", 0660, false, true),
         "in group dialout only from the next login: log out and in again"},
        {70, usb, denied("root", "root", 0660, false, false), "only root may use /dev/ttyUSB0 (mode 660): ask for a udev rule"},
        {70, usb, denied("root", "tty", 0620, false, false), "only root may use /dev/ttyUSB0 (mode 620): ask for a udev rule"},
        {70, usb, denied("tech", "dialout", 0200, true, true), "no permission for /dev/ttyUSB0 (tech:dialout, mode 200)"},
        {70, usb, folder_closed(), "no permission to reach /dev/ttyUSB0: a folder on the way is closed"},
        {70, usb, present(), "/dev/ttyUSB0 was busy or refused; it is free now: try again"},
        {75, "/home/tech/radio.hex", not_serial("a regular file"),
         "/home/tech/radio.hex is a regular file, not a serial port: check the path"},
        {75, usb, present(), "/dev/ttyUSB0: its driver cannot do what was asked: try another adapter"},
        {76, "/dev/ttyUSB0/x", missing(ENOTDIR), "/dev/ttyUSB0/x: a part of the path is not a directory: check it"},
        {76, usb, missing(ELOOP), "/dev/ttyUSB0: the links on the path go round in a loop: check them"},
        {76, usb, missing(ENAMETOOLONG), "/dev/ttyUSB0: the path is too long: check it"},
        {5, usb, present(), "/dev/ttyUSB0 refused a line setting: try another baud rate or setting"},
        {57, usb, present(), "line errors on /dev/ttyUSB0 (overrun, framing): check baud rate and cable"},
        {69, usb, present(), "read or write on /dev/ttyUSB0 failed or was cut short: check the cable"},
        {72, usb, present(), "/dev/ttyUSB0 failed (I/O error): adapter pulled? plug it in, then reopen"},
        {99, usb, present(), "error 99 on /dev/ttyUSB0, which looks fine now: try again"},
        {0, usb, present(), "/dev/ttyUSB0 is ready"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.error) + " " + c.text);
        const std::string text = explain_port_problem(c.error, c.path, c.state);
        EXPECT_EQ(text, c.text);
        EXPECT_LE(text.size(), EXPLANATION_WIDTH);
    }
}

TEST(PortExplanation, APathIsCutFromTheLeftAtAFolderWhereItCanBe) {
    struct Case {
        std::string path;
        std::size_t width;
        std::string shown;
    };
    const Case cases[] = {
        {"/dev/ttyUSB0", 12, "/dev/ttyUSB0"},
        {"/dev/serial/by-id/usb-FTDI-port0", 20, ".../usb-FTDI-port0"},
        {"/dev/serial/by-id/usb-FTDI-port0", 10, "...I-port0"},
        {"/dev/ttyUSB0", 2, ".."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shorten_path_left(c.path, c.width), c.shown);
        EXPECT_LE(shorten_path_left(c.path, c.width).size(), c.width);
    }
}

TEST(PortExplanation, TheListingNamesEachState) {
    EXPECT_EQ(describe_port_state(present()), "present");
    EXPECT_EQ(describe_port_state(missing(ENOENT)), "missing");
    EXPECT_EQ(describe_port_state(denied("root", "dialout", 0660, false, false)), "no permission for this user");
    EXPECT_EQ(describe_port_state(held_by({{4242, "picocom"}})), "in use by picocom (PID 4242)");
    EXPECT_EQ(describe_port_state(not_serial("a FIFO")), "not a serial device (a FIFO)");
}

}  // namespace
}  // namespace zizuvu
