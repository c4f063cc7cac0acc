#include <algorithm>
#include <iterator>
#include <map>
#include <mutex>

#include "platform/port_io.hpp"
#include "platform/system_error_map.hpp"
#include "platform/win32/port_device_name.hpp"
#include "platform/win32/port_status.hpp"
#include "platform/win32/quiet_error_mode.hpp"
#include "platform/win32/windows_api.hpp"

namespace zizuvu {
namespace {

HANDLE handle_of(OsHandle port) { return reinterpret_cast<HANDLE>(port); }
bool usable(OsHandle port) { return port != NO_OS_HANDLE && port != 0; }

bool fail_with(DWORD code) {
    SetLastError(code);
    return false;
}

// The port is opened for overlapped use, so that a wait can block on it and the
// console together; each thread's reads and writes complete on an event of its own.
struct ThreadEvent {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ~ThreadEvent() {
        if (event != nullptr) CloseHandle(event);
    }
};

HANDLE thread_io_event() {
    thread_local ThreadEvent event;
    return event.event;
}

// ReadFile or WriteFile as a blocking call under the port's time-outs.
bool transfer(bool reading, HANDLE port, void* buffer, std::uint32_t count, std::uint32_t& done) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = thread_io_event();
    if (overlapped.hEvent == nullptr) return false;
    const QuietErrorMode quiet;
    const BOOL started = reading ? ReadFile(port, buffer, count, nullptr, &overlapped)
                                 : WriteFile(port, buffer, count, nullptr, &overlapped);
    if (started == FALSE && GetLastError() != ERROR_IO_PENDING) return false;
    DWORD transferred = 0;
    const BOOL finished = GetOverlappedResult(port, &overlapped, &transferred, TRUE);
    done = transferred;
    return finished != FALSE;
}

// What each open port has seen that ClearCommError forgets: the line errors a wait
// looked at, and the write limit now set on it, so it is set only when it changes.
struct PortRecord {
    std::uint32_t kept_errors = 0;
    DWORD write_limit_ms = 0;  // 0: none
};

struct PortRecords {
    std::mutex lock;
    std::map<OsHandle, PortRecord> records;
};

PortRecords& port_records() {
    static PortRecords kept;
    return kept;
}

bool query_status(OsHandle port, CommStatus& status) {
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    DWORD errors = 0;
    COMSTAT comstat{};
    const QuietErrorMode quiet;
    if (ClearCommError(handle_of(port), &errors, &comstat) == FALSE) return false;
    status.errors = errors;
    status.bytes_in_queue = comstat.cbInQue;
    return true;
}

LineErrors line_errors_of(std::uint32_t mask) {
    LineErrors errors;
    errors.receive_overflow = (mask & CE_RXOVER) != 0;
    errors.overrun = (mask & CE_OVERRUN) != 0;
    errors.framing = (mask & CE_FRAME) != 0;
    errors.parity = (mask & CE_RXPARITY) != 0;
    errors.line_break = (mask & CE_BREAK) != 0;
    errors.transmit_full = (mask & CE_TXFULL) != 0;
    errors.device_error = (mask & CE_IOE) != 0;
    return errors;
}

bool read_dcb(OsHandle port, DCB& dcb) {
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    dcb = DCB{};
    dcb.DCBlength = sizeof dcb;
    const QuietErrorMode quiet;
    return GetCommState(handle_of(port), &dcb) != FALSE;
}

bool write_dcb(OsHandle port, DCB& dcb) {
    const QuietErrorMode quiet;
    // A change must not catch the tail of the last write: let it go out first.
    FlushFileBuffers(handle_of(port));
    SetLastError(0);
    return SetCommState(handle_of(port), &dcb) != FALSE;
}

constexpr BYTE PARITY_VALUES[] = {NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY};
constexpr BYTE STOP_BIT_VALUES[] = {ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS};

LineSettings settings_of(const DCB& dcb) {
    LineSettings settings;
    settings.baud_rate = dcb.BaudRate;
    settings.data_bits = dcb.ByteSize;
    for (std::size_t i = 0; i < std::size(PARITY_VALUES); ++i) {
        if (dcb.Parity == PARITY_VALUES[i]) settings.parity = static_cast<Parity>(i);
    }
    for (std::size_t i = 0; i < std::size(STOP_BIT_VALUES); ++i) {
        if (dcb.StopBits == STOP_BIT_VALUES[i]) settings.stop_bits = static_cast<StopBits>(i);
    }
    settings.parity_check = dcb.fParity != 0;
    settings.cts_flow = dcb.fOutxCtsFlow != 0;
    settings.dsr_flow = dcb.fOutxDsrFlow != 0;
    settings.dsr_sensitivity = dcb.fDsrSensitivity != 0;
    settings.dtr_flow = dcb.fDtrControl == DTR_CONTROL_HANDSHAKE;
    return settings;
}

void apply_to_dcb(DCB& dcb, const LineSettings& settings) {
    dcb.BaudRate = settings.baud_rate;
    dcb.ByteSize = settings.data_bits;
    dcb.Parity = PARITY_VALUES[static_cast<std::size_t>(settings.parity)];
    dcb.StopBits = STOP_BIT_VALUES[static_cast<std::size_t>(settings.stop_bits)];
    dcb.fParity = settings.parity_check ? 1 : 0;
    dcb.fOutxCtsFlow = settings.cts_flow ? 1 : 0;
    dcb.fOutxDsrFlow = settings.dsr_flow ? 1 : 0;
    dcb.fDsrSensitivity = settings.dsr_sensitivity ? 1 : 0;
    // DTR flow control off leaves the line where it was, low after flow control.
    if (settings.dtr_flow) {
        dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
    } else if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE) {
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
    }
}

// Reads return at once with what is there; writes wait as long as `write_limit_ms`
// (0: until every byte went out).
bool set_timeouts(OsHandle port, DWORD write_limit_ms) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = write_limit_ms;
    const QuietErrorMode quiet;
    return SetCommTimeouts(handle_of(port), &timeouts) != FALSE;
}

bool use_write_limit(OsHandle port, DWORD write_limit_ms) {
    PortRecords& kept = port_records();
    const std::lock_guard lock(kept.lock);
    PortRecord& record = kept.records[port];
    if (record.write_limit_ms == write_limit_ms) return true;
    if (!set_timeouts(port, write_limit_ms)) return false;
    record.write_limit_ms = write_limit_ms;
    return true;
}

}  // namespace

OsHandle open_port(std::string_view port_name) {
    const std::string device = device_name_for_port(port_name);
    const QuietErrorMode quiet;
    // Share mode 0: this process alone. OPEN_EXISTING: a name that names nothing is a
    // missing port, never a new file.
    const HANDLE port = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) return NO_OS_HANDLE;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const bool a_port = GetCommState(port, &dcb) != FALSE;
    if (device != port_name && !a_port) {
        // A port name whose device does not answer as a port (wine opens a COM port
        // whose device is missing and fails every call on it) is a missing port.
        CloseHandle(port);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return NO_OS_HANDLE;
    }
    if (a_port) {
        // The waits block on the arrival of bytes, reads take what is there; neither
        // changes anything on the line.
        SetCommMask(port, EV_RXCHAR);
        set_timeouts(reinterpret_cast<OsHandle>(port), 0);
    }
    SetLastError(0);
    return reinterpret_cast<OsHandle>(port);
}

bool close_port(OsHandle port) {
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    forget_port_status(port);
    const QuietErrorMode quiet;
    return CloseHandle(handle_of(port)) != FALSE;
}

bool is_serial_device(OsHandle port) {
    if (!usable(port) || GetFileType(handle_of(port)) != FILE_TYPE_CHAR) return false;
    DCB dcb;
    const DWORD saved = GetLastError();
    const bool a_port = read_dcb(port, dcb);
    SetLastError(saved);
    return a_port;
}

bool get_line_settings(OsHandle port, LineSettings& settings) {
    DCB dcb;
    if (!read_dcb(port, dcb)) return false;
    settings = settings_of(dcb);
    return true;
}

bool set_line_settings(OsHandle port, const LineSettings& settings) {
    DCB dcb;
    if (!read_dcb(port, dcb)) return false;
    if (settings_of(dcb) == settings) return true;
    apply_to_dcb(dcb, settings);
    return write_dcb(port, dcb);
}

bool set_dtr(OsHandle port, bool raised) {
    DCB dcb;
    if (!read_dcb(port, dcb)) return false;
    const DWORD wanted = raised ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    if (dcb.fDtrControl == wanted) return true;
    dcb.fDtrControl = wanted;
    return write_dcb(port, dcb);
}

bool peek_port_status(OsHandle port, CommStatus& status) {
    if (!query_status(port, status)) return false;
    if (status.errors != 0) {
        PortRecords& kept = port_records();
        const std::lock_guard lock(kept.lock);
        kept.records[port].kept_errors |= status.errors;
    }
    return true;
}

void forget_port_status(OsHandle port) {
    PortRecords& kept = port_records();
    const std::lock_guard lock(kept.lock);
    kept.records.erase(port);
}

bool read_port_status(OsHandle port, PortStatus& status) {
    CommStatus now;
    if (!query_status(port, now)) return false;
    PortRecords& kept = port_records();
    const std::lock_guard lock(kept.lock);
    if (const auto found = kept.records.find(port); found != kept.records.end()) {
        now.errors |= found->second.kept_errors;
        found->second.kept_errors = 0;
    }
    status.bytes_waiting = now.bytes_in_queue;
    status.errors = line_errors_of(now.errors);
    return true;
}

bool read_port(OsHandle port, std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) {
    got = 0;
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    if (count == 0) return true;
    return transfer(true, handle_of(port), buffer, count, got);
}

bool write_port(OsHandle port, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& written,
                std::optional<std::chrono::milliseconds> limit) {
    written = 0;
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    if (count == 0) return true;
    const DWORD limit_ms = limit ? static_cast<DWORD>(std::max<std::chrono::milliseconds::rep>(limit->count(), 1)) : 0;
    if (!use_write_limit(port, limit_ms)) return false;
    return transfer(false, handle_of(port), const_cast<std::uint8_t*>(bytes), count, written);
}

bool get_buffer_sizes(OsHandle port, BufferSizes& sizes) {
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    COMMPROP properties{};
    properties.wPacketLength = sizeof properties;
    const QuietErrorMode quiet;
    if (GetCommProperties(handle_of(port), &properties) == FALSE) return false;
    sizes.receive = properties.dwCurrentRxQueue;
    sizes.transmit = properties.dwCurrentTxQueue;
    return true;
}

bool set_buffer_sizes(OsHandle port, const BufferSizes& sizes) {
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    const QuietErrorMode quiet;
    return SetupComm(handle_of(port), sizes.receive, sizes.transmit) != FALSE;
}

bool discard_input(OsHandle port) {
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    const QuietErrorMode quiet;
    return PurgeComm(handle_of(port), PURGE_RXABORT | PURGE_RXCLEAR) != FALSE;
}

bool discard_output(OsHandle port) {
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    const QuietErrorMode quiet;
    return PurgeComm(handle_of(port), PURGE_TXABORT | PURGE_TXCLEAR) != FALSE;
}

bool port_gone(OsHandle port) {
    if (!usable(port)) return false;
    CommStatus status;
    const DWORD saved = GetLastError();
    const bool gone = !peek_port_status(port, status);
    SetLastError(saved);
    return gone;
}

// Win32 has no call for it: a USB adapter's latency is a setting of its driver.
void request_low_latency(OsHandle) {}

int last_port_error() { return error_number_for_win32_code(GetLastError()); }

}  // namespace zizuvu
