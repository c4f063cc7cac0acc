#pragma once
// What every part of one run of the program shares, created at start-up and passed
// by reference: the console, the one error state and the count of errors shown, the
// port settings and the serial channels. No hidden globals, so each procedure can be
// driven by a test. Each subsystem keeps its own state beside it.
//
//   PortSettings   the port every procedure opens and the terminal's speed
//   Session        the run's shared state

#include <cstdint>
#include <string>

#include "console/console.hpp"
#include "serial/error_state.hpp"
#include "serial/serial_channel.hpp"

namespace zizuvu {

struct PortSettings {
    std::string port_name = "Com1";  // "Com" and one digit 1..9
    std::int32_t baud_rate = 19200;  // used by the setup terminal only
};

struct Session {
    explicit Session(Console& session_console) : console(session_console) {}

    Console& console;
    ErrorState errors;
    PortSettings port_settings;
    std::int32_t error_count = 0;   // indicators shown since start-up
    int last_error_shown = 0;       // the error number the indicator showed last
    ChannelTable channels{errors};  // the serial port; every procedure closes what it opened
};

}  // namespace zizuvu
