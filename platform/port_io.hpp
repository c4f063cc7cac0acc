#pragma once
// What the program does directly on an open port's handle, with the meaning the
// Win32 communications calls give it, so that the download procedures and the
// terminal are written once for every platform. The channel layer is built on
// the same calls.
//
//   LineState, DtrControl, NOPARITY.., ONESTOPBIT..   the port's line settings
//   get_line_state / set_line_state                   read / apply them (GetCommState / SetCommState)
//   PortTimeouts, get_port_timeouts / set_port_timeouts   the handle's read and write time-outs
//   read_port / write_port                            ReadFile / WriteFile under those time-outs
//   QueueSizes, get_queue_sizes / set_queue_sizes     the driver's queues (GetCommProperties / SetupComm)
//   PortStatus, CE_*, clear_port_errors               bytes waiting and line errors (ClearCommError)
//   request_low_latency                               ask the driver to pass bytes on without delay
//   open_port_device / close_port_device              the handle itself (CreateFileA / CloseHandle)
//   last_port_error                                   the program's error number for the last failure
//
// Every call returns false on failure and leaves the system's reason for
// last_port_error, read on the same thread before the next call.

#include <cstdint>
#include <string_view>

#include "platform/os_handle.hpp"

namespace zizuvu {

// Parity, as the DCB's Parity field counts it.
inline constexpr std::uint8_t NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4;
// Stop bits, as the DCB's StopBits field counts them: one and a half exists only with 5 data bits.
inline constexpr std::uint8_t ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2;

enum class DtrControl : std::uint8_t { disable, enable, handshake };

struct LineState {
    std::uint32_t baud_rate = 0;
    std::uint8_t byte_size = 8;
    std::uint8_t parity = NOPARITY;
    std::uint8_t stop_bits = ONESTOPBIT;
    bool parity_check = false;     // parity errors detected (fParity)
    bool cts_flow = false;         // output waits for CTS (fOutxCtsFlow)
    bool dsr_flow = false;         // output waits for DSR (fOutxDsrFlow)
    bool dsr_sensitivity = false;  // input ignored while DSR is low (fDsrSensitivity)
    DtrControl dtr_control = DtrControl::enable;

    friend bool operator==(const LineState&, const LineState&) = default;
};

bool get_line_state(OsHandle port, LineState& state);
// Applies every field at once, after the bytes already written have gone out, so
// that a speed change never catches the tail of the last write. A setting the
// device cannot carry out is refused and nothing changes.
bool set_line_state(OsHandle port, const LineState& state);

// Milliseconds, as COMMTIMEOUTS holds them. All zero: a read returns when every
// requested byte has arrived, a write when every byte was taken. read_interval
// MAXDWORD with both read totals 0: a read returns at once with what is waiting.
inline constexpr std::uint32_t MAXDWORD = 0xFFFFFFFFU;
struct PortTimeouts {
    std::uint32_t read_interval = 0;
    std::uint32_t read_total_multiplier = 0;
    std::uint32_t read_total_constant = 0;
    std::uint32_t write_total_multiplier = 0;
    std::uint32_t write_total_constant = 0;

    friend bool operator==(const PortTimeouts&, const PortTimeouts&) = default;
};

bool get_port_timeouts(OsHandle port, PortTimeouts& timeouts);
bool set_port_timeouts(OsHandle port, const PortTimeouts& timeouts);

// A time-out that ends the call early is not a failure: `got` / `written` then
// says how far it came. A device that went away is.
bool read_port(OsHandle port, std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got);
bool write_port(OsHandle port, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& written);

struct QueueSizes {
    std::uint32_t receive = 0;
    std::uint32_t transmit = 0;
};

bool get_queue_sizes(OsHandle port, QueueSizes& sizes);
bool set_queue_sizes(OsHandle port, const QueueSizes& sizes);

// Line errors, as ClearCommError's mask reports them.
inline constexpr std::uint32_t CE_RXOVER = 0x0001;   // the driver's input queue overflowed
inline constexpr std::uint32_t CE_OVERRUN = 0x0002;  // the hardware lost a byte
inline constexpr std::uint32_t CE_RXPARITY = 0x0004;
inline constexpr std::uint32_t CE_FRAME = 0x0008;
inline constexpr std::uint32_t CE_BREAK = 0x0010;
inline constexpr std::uint32_t CE_TXFULL = 0x0100;
inline constexpr std::uint32_t CE_IOE = 0x0400;

struct PortStatus {
    std::uint32_t errors = 0;          // CE_* that happened since the last call
    std::uint32_t bytes_in_queue = 0;  // received and not yet read
};

// Reports and forgets the line errors since the last call. A device that went
// away fails every time, without waiting.
bool clear_port_errors(OsHandle port, PortStatus& status);

// The device behind the handle went away (a USB adapter pulled, the far end of a
// pseudo-terminal closed): nothing will ever arrive on it again. Answered at once.
bool port_gone(OsHandle port);

// A character device with a serial line's settings (a serial port, a USB adapter,
// a pseudo-terminal). A file, a pipe, a directory or /dev/null is not: it opens,
// but nothing on the other side of it is a radio. Answered without any I/O.
bool is_serial_device(OsHandle port);

// For a lock-step exchange: a driver that holds received bytes back to gather more
// (USB serial adapters do) is asked to pass them on at once. Where the driver has
// no such mode this does nothing. The previous mode comes back when the port is
// closed.
void request_low_latency(OsHandle port);

// Opens the port named "Com1".."Com9" (any other name is a path used unchanged)
// for reading and writing, for this process alone. Never creates a file. A
// terminal device is put in raw mode, as a Win32 port always is, and nothing else
// on its line changes; anything else (a file) opens as it is, and its line
// settings then fail.
OsHandle open_port_device(std::string_view port_name);
bool close_port_device(OsHandle port);

int last_port_error();

}  // namespace zizuvu
