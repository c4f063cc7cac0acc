#pragma once
// The serial port as the operating system gives it to the program, in the program's
// own terms on every platform: opened for this process alone, its line settings and
// its DTR line, what has arrived, what goes out, what went wrong on the line. Each
// platform's own structures (termios, DCB, COMMTIMEOUTS, COMSTAT) stay in its folder.
//
//   open_port / close_port            "Com1".."Com9" (any other name is a path, used
//                                     unchanged); this process alone; never creates a file
//   is_serial_device                  a serial line (a port, an adapter, a pseudo-terminal)
//   Parity, StopBits, LineSettings    speed, framing and flow control
//   get_line_settings / set_line_settings
//   set_dtr                           the DTR modem line
//   LineErrors, PortStatus            bytes waiting, and what went wrong since the last look
//   read_port_status
//   read_port                         what has arrived, at most a count; never waits
//   write_port                        until the driver has taken every byte, or a time limit
//   BufferSizes, get_buffer_sizes / set_buffer_sizes   the driver's queues, where it has any say
//   discard_input / discard_output    drop what arrived unread / what has not gone out yet
//   port_gone                         the device went away (an adapter pulled)
//   request_low_latency               ask an adapter's driver to pass bytes on at once
//   last_port_error                   the program's error number for the last failure
//
// Every call returns false on failure and leaves the system's reason for
// last_port_error, read on the same thread before the next call. The results are
// [[nodiscard]]: a caller acts on each, or says where it does not why.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/os_handle.hpp"

namespace zizuvu {

// Opening puts a terminal device in raw mode, as a Win32 port always is, and changes
// nothing else on its line. A file or a pipe opens as it is; nothing on it is a port.
[[nodiscard]] OsHandle open_port(std::string_view port_name);
// Whatever the program changed on the driver (low latency, the input minimum) is put
// back first.
[[nodiscard]] bool close_port(OsHandle port);

// A character device with a serial line's settings. A file, a pipe, a directory or
// /dev/null is not: it opens, but nothing on the other side of it is a radio.
// Answered without any I/O.
[[nodiscard]] bool is_serial_device(OsHandle port);

enum class Parity : std::uint8_t { none, odd, even, mark, space };
// One and a half exist only with 5 data bits, two only with 6 to 8.
enum class StopBits : std::uint8_t { one, one_and_a_half, two };

struct LineSettings {
    std::uint32_t baud_rate = 0;
    std::uint8_t data_bits = 8;
    Parity parity = Parity::none;
    StopBits stop_bits = StopBits::one;
    bool parity_check = false;     // parity errors detected
    bool cts_flow = false;         // output waits for CTS
    bool dsr_flow = false;         // output waits for DSR
    bool dsr_sensitivity = false;  // input ignored while DSR is low
    bool dtr_flow = false;         // DTR raised and lowered by the driver for flow control

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

[[nodiscard]] bool get_line_settings(OsHandle port, LineSettings& settings);
// Applies every field at once, after the bytes already written have gone out, so that
// a speed change never catches the tail of the last write. A setting the device cannot
// carry out is refused and nothing changes.
[[nodiscard]] bool set_line_settings(OsHandle port, const LineSettings& settings);
// Raised or lowered until changed again; DTR flow control, if on, goes off. A device
// without modem lines (a pseudo-terminal) takes it as done.
[[nodiscard]] bool set_dtr(OsHandle port, bool raised);

struct LineErrors {
    bool receive_overflow = false;  // the driver's input queue overflowed
    bool overrun = false;           // the hardware lost a byte
    bool framing = false;
    bool parity = false;
    bool line_break = false;
    bool transmit_full = false;
    bool device_error = false;

    // What loses received bytes; parity errors and breaks do not.
    bool lost_bytes() const { return receive_overflow || overrun || framing || transmit_full || device_error; }
};

struct PortStatus {
    std::uint32_t bytes_waiting = 0;  // received and not yet read
    LineErrors errors;                // since the last read_port_status
};

// Reports and forgets the line errors since the last call. A device that went away
// fails every time, without waiting.
[[nodiscard]] bool read_port_status(OsHandle port, PortStatus& status);

// What has arrived, at most `count` bytes; `got` says how many. Never waits.
[[nodiscard]] bool read_port(OsHandle port, std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got);
// Waits until the driver has taken every byte, or until `limit` has passed; `written`
// says how far it came, and running out of time is no failure. A device that went
// away is.
[[nodiscard]] bool write_port(OsHandle port, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& written,
                              std::optional<std::chrono::milliseconds> limit = std::nullopt);

struct BufferSizes {
    std::uint32_t receive = 0;
    std::uint32_t transmit = 0;
};

// A driver takes sizes as a recommendation; one whose buffers are fixed (Linux) keeps
// them and still says yes to a serial device.
[[nodiscard]] bool get_buffer_sizes(OsHandle port, BufferSizes& sizes);
[[nodiscard]] bool set_buffer_sizes(OsHandle port, const BufferSizes& sizes);

[[nodiscard]] bool discard_input(OsHandle port);
// What was written and is still in the driver never goes out: a close after this
// cannot wait on a held line.
[[nodiscard]] bool discard_output(OsHandle port);

// The device behind the handle went away (a USB adapter pulled, the far end of a
// pseudo-terminal closed): nothing will ever arrive on it again. Answered at once.
[[nodiscard]] bool port_gone(OsHandle port);

// For a lock-step exchange: a driver that holds received bytes back to gather more
// (USB serial adapters do) is asked to pass them on at once. Where the driver has no
// such mode, or the request is refused, nothing changes: the exchange works either
// way, only slower. The previous mode comes back when the port is closed.
void request_low_latency(OsHandle port);

int last_port_error();

}  // namespace zizuvu
