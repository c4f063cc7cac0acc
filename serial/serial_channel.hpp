#pragma once
// The serial port as a numbered channel: opened by name, given its line settings
// one at a time, asked how many received bytes are waiting, read, written and
// closed. Every failure is recorded in the error state with its number and the
// operation returns 0 or an empty text; nothing here prints or stops the program.
//
//   PORT_CHANNEL                       the one channel number the program uses
//   OPTION_* (line_settings.hpp)
//   ChannelTable                       the open channels, shared by the program's threads
//   open_channel                       "Com1".."Com9" (see platform/port_io.hpp for the devices)
//   set_port_option, bytes_waiting
//   read_channel, write_channel
//   channel_handle                     the handle, for the procedures' own port calls
//   find_channel_handle                the same, recording nothing when not open
//   close_channel, close_all_channels
//
// Error numbers: 52 channel number negative or not open, 55 already open, 64 bad
// port name, 5 a setting refused, 57 a line error seen while asking for the bytes
// waiting, 69 a read or write failed or a write came out short, and the system's
// own reason (53 no such port, 70 port held elsewhere or no permission, ...) for a
// failed open, a failed read of the line settings or a failed close.

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/os_handle.hpp"
#include "serial/error_state.hpp"
#include "serial/line_settings.hpp"

namespace zizuvu {

inline constexpr int PORT_CHANNEL = 1;

class ChannelTable {
public:
    explicit ChannelTable(ErrorState& errors) : errors_(errors) {}
    // Whatever is still open is closed, without recording anything.
    ~ChannelTable();
    ChannelTable(const ChannelTable&) = delete;
    ChannelTable& operator=(const ChannelTable&) = delete;

private:
    // An open channel: its number and the port's handle. The program opens one at a
    // time; a few more fit, for tests and for a second port.
    struct Channel {
        int number = -1;
        OsHandle handle = NO_OS_HANDLE;
    };
    static constexpr std::size_t CAPACITY = 8;

    friend struct ChannelTableAccess;  // the operations below, in serial_channel.cpp

    ErrorState& errors_;
    // The table lock guards the channel records; it is held only for a look-up,
    // an insertion or a removal. The call lock lets one thread at a time into the
    // operating system through this layer (the terminal's sender writes on the
    // handle directly and does not take it).
    mutable std::mutex table_lock_;
    std::mutex call_lock_;
    std::array<Channel, CAPACITY> channels_{};
};

void open_channel(ChannelTable& table, std::string_view port_name, int number);
void set_port_option(ChannelTable& table, int number, int code, std::int32_t value);
// Received bytes waiting. After a line error (overrun, framing, input queue
// overflow) it answers 0 once, with error 57, and the bytes on the next call.
std::int32_t bytes_waiting(ChannelTable& table, int number);
// At most `count` bytes, as many as are there; a count of 0 reads nothing.
std::string read_channel(ChannelTable& table, int number, int count);
void write_channel(ChannelTable& table, int number, std::string_view bytes);
// NO_OS_HANDLE, with error 52, when the channel is not open.
OsHandle channel_handle(ChannelTable& table, int number);
OsHandle find_channel_handle(ChannelTable& table, int number);
// A number that is not open is no error.
void close_channel(ChannelTable& table, int number);
// When several closes fail, the first failure's number is the one that stays.
void close_all_channels(ChannelTable& table);

}  // namespace zizuvu
