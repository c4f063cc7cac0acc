#pragma once
// Everything one run of the program owns, created at start-up and passed by
// reference to every procedure: no hidden globals, so each procedure can be driven
// by a test.
//
//   PortSettings   the port every procedure opens and the terminal's speed
//   TRANSMIT_QUEUE_SIZE
//   Program        the run-wide state, with the channel table of the serial port

#include <array>
#include <cstdint>
#include <string>

#include "download/firmware_image.hpp"
#include "platform/console.hpp"
#include "platform/error_state.hpp"
#include "platform/random.hpp"
#include "platform/serial_channel.hpp"

namespace zizuvu {

struct PortSettings {
    std::string port_name = "Com1";  // "Com" and one digit 1..9
    std::int32_t baud_rate = 19200;  // used by the setup terminal only
};

inline constexpr std::size_t TRANSMIT_QUEUE_SIZE = 1024;

struct Program {
    explicit Program(Console& program_console) : console(program_console) {}

    Console& console;
    ErrorState errors;
    PortSettings port_settings;
    std::int32_t error_count = 0;       // indicators shown since start-up
    std::int32_t progress_counter = 0;  // shared by every download of the run, never reset by one
    RandomState random;
    RecordBuffer record_buffer;  // the image record being sent, refilled by every fetch
    ChannelTable channels{errors};  // the serial port; every procedure closes what it opened
    // The setup terminal's keys on their way to the radio: the storage is the run's,
    // the ring over it starts empty with every terminal.
    std::array<std::uint8_t, TRANSMIT_QUEUE_SIZE> transmit_queue{};
};

}  // namespace zizuvu
