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

struct KeptErrors {
    std::mutex lock;
    std::map<OsHandle, std::uint32_t> errors;
};

KeptErrors& kept_errors() {
    static KeptErrors kept;
    return kept;
}

bool query_status(OsHandle port, PortStatus& status) {
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    DWORD errors = 0;
    COMSTAT comstat{};
    const QuietErrorMode quiet;
    if (ClearCommError(handle_of(port), &errors, &comstat) == FALSE) return false;
    status.errors = errors;
    status.bytes_in_queue = comstat.cbInQue;
    return true;
}

LineState line_state_from_dcb(const DCB& dcb) {
    LineState state;
    state.baud_rate = dcb.BaudRate;
    state.byte_size = dcb.ByteSize;
    state.parity = dcb.Parity;
    state.stop_bits = dcb.StopBits;
    state.parity_check = dcb.fParity != 0;
    state.cts_flow = dcb.fOutxCtsFlow != 0;
    state.dsr_flow = dcb.fOutxDsrFlow != 0;
    state.dsr_sensitivity = dcb.fDsrSensitivity != 0;
    switch (dcb.fDtrControl) {
        case DTR_CONTROL_DISABLE: state.dtr_control = DtrControl::disable; break;
        case DTR_CONTROL_HANDSHAKE: state.dtr_control = DtrControl::handshake; break;
        default: state.dtr_control = DtrControl::enable; break;
    }
    return state;
}

void apply_to_dcb(DCB& dcb, const LineState& state) {
    dcb.BaudRate = state.baud_rate;
    dcb.ByteSize = state.byte_size;
    dcb.Parity = state.parity;
    dcb.StopBits = state.stop_bits;
    dcb.fParity = state.parity_check ? 1 : 0;
    dcb.fOutxCtsFlow = state.cts_flow ? 1 : 0;
    dcb.fOutxDsrFlow = state.dsr_flow ? 1 : 0;
    dcb.fDsrSensitivity = state.dsr_sensitivity ? 1 : 0;
    switch (state.dtr_control) {
        case DtrControl::disable: dcb.fDtrControl = DTR_CONTROL_DISABLE; break;
        case DtrControl::enable: dcb.fDtrControl = DTR_CONTROL_ENABLE; break;
        case DtrControl::handshake: dcb.fDtrControl = DTR_CONTROL_HANDSHAKE; break;
    }
}

bool read_dcb(OsHandle port, DCB& dcb) {
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    dcb = DCB{};
    dcb.DCBlength = sizeof dcb;
    const QuietErrorMode quiet;
    return GetCommState(handle_of(port), &dcb) != FALSE;
}

}  // namespace

bool get_line_state(OsHandle port, LineState& state) {
    DCB dcb;
    if (!read_dcb(port, dcb)) return false;
    state = line_state_from_dcb(dcb);
    return true;
}

bool set_line_state(OsHandle port, const LineState& state) {
    DCB dcb;
    if (!read_dcb(port, dcb)) return false;
    if (line_state_from_dcb(dcb) == state) return true;
    apply_to_dcb(dcb, state);
    const QuietErrorMode quiet;
    // A speed change must not catch the tail of the last write: let it go out first.
    FlushFileBuffers(handle_of(port));
    SetLastError(0);
    return SetCommState(handle_of(port), &dcb) != FALSE;
}

bool get_port_timeouts(OsHandle port, PortTimeouts& timeouts) {
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    COMMTIMEOUTS t{};
    const QuietErrorMode quiet;
    if (GetCommTimeouts(handle_of(port), &t) == FALSE) return false;
    timeouts.read_interval = t.ReadIntervalTimeout;
    timeouts.read_total_multiplier = t.ReadTotalTimeoutMultiplier;
    timeouts.read_total_constant = t.ReadTotalTimeoutConstant;
    timeouts.write_total_multiplier = t.WriteTotalTimeoutMultiplier;
    timeouts.write_total_constant = t.WriteTotalTimeoutConstant;
    return true;
}

bool set_port_timeouts(OsHandle port, const PortTimeouts& timeouts) {
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = timeouts.read_interval;
    t.ReadTotalTimeoutMultiplier = timeouts.read_total_multiplier;
    t.ReadTotalTimeoutConstant = timeouts.read_total_constant;
    t.WriteTotalTimeoutMultiplier = timeouts.write_total_multiplier;
    t.WriteTotalTimeoutConstant = timeouts.write_total_constant;
    const QuietErrorMode quiet;
    return SetCommTimeouts(handle_of(port), &t) != FALSE;
}

bool read_port(OsHandle port, std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) {
    got = 0;
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    if (count == 0) return true;
    return transfer(true, handle_of(port), buffer, count, got);
}

bool write_port(OsHandle port, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& written) {
    written = 0;
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    if (count == 0) return true;
    return transfer(false, handle_of(port), const_cast<std::uint8_t*>(bytes), count, written);
}

bool get_queue_sizes(OsHandle port, QueueSizes& sizes) {
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    COMMPROP properties{};
    properties.wPacketLength = sizeof properties;
    const QuietErrorMode quiet;
    if (GetCommProperties(handle_of(port), &properties) == FALSE) return false;
    sizes.receive = properties.dwCurrentRxQueue;
    sizes.transmit = properties.dwCurrentTxQueue;
    return true;
}

bool set_queue_sizes(OsHandle port, const QueueSizes& sizes) {
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    const QuietErrorMode quiet;
    return SetupComm(handle_of(port), sizes.receive, sizes.transmit) != FALSE;
}

bool peek_port_status(OsHandle port, PortStatus& status) {
    if (!query_status(port, status)) return false;
    if (status.errors != 0) {
        KeptErrors& kept = kept_errors();
        const std::lock_guard lock(kept.lock);
        kept.errors[port] |= status.errors;
    }
    return true;
}

void forget_port_status(OsHandle port) {
    KeptErrors& kept = kept_errors();
    const std::lock_guard lock(kept.lock);
    kept.errors.erase(port);
}

bool clear_port_errors(OsHandle port, PortStatus& status) {
    PortStatus now;
    if (!query_status(port, now)) return false;
    KeptErrors& kept = kept_errors();
    const std::lock_guard lock(kept.lock);
    if (const auto found = kept.errors.find(port); found != kept.errors.end()) {
        now.errors |= found->second;
        kept.errors.erase(found);
    }
    status = now;
    return true;
}

bool port_gone(OsHandle port) {
    if (!usable(port)) return false;
    PortStatus status;
    const DWORD saved = GetLastError();
    const bool gone = !peek_port_status(port, status);
    SetLastError(saved);
    return gone;
}

// Win32 has no call for it: a USB adapter's latency is a setting of its driver.
bool is_serial_device(OsHandle port) {
    if (!usable(port) || GetFileType(handle_of(port)) != FILE_TYPE_CHAR) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const QuietErrorMode quiet;
    return GetCommState(handle_of(port), &dcb) != FALSE;
}

void request_low_latency(OsHandle) {}

OsHandle open_port_device(std::string_view port_name) {
    const std::string device = device_name_for_port(port_name);
    const QuietErrorMode quiet;
    // Share mode 0: this process alone. OPEN_EXISTING: a name that names nothing is a
    // missing port, never a new file.
    const HANDLE port = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) return NO_OS_HANDLE;
    if (device != port_name) {
        // A port name whose device does not answer as a port (wine opens a COM port
        // whose device is missing and fails every call on it) is a missing port.
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (GetCommState(port, &dcb) == FALSE) {
            CloseHandle(port);
            SetLastError(ERROR_FILE_NOT_FOUND);
            return NO_OS_HANDLE;
        }
    }
    if (GetFileType(port) == FILE_TYPE_CHAR) {
        // The waits block on the arrival of bytes; this changes nothing on the line.
        SetCommMask(port, EV_RXCHAR);
    }
    SetLastError(0);
    return reinterpret_cast<OsHandle>(port);
}

bool close_port_device(OsHandle port) {
    if (!usable(port)) return fail_with(ERROR_INVALID_HANDLE);
    forget_port_status(port);
    const QuietErrorMode quiet;
    return CloseHandle(handle_of(port)) != FALSE;
}

int last_port_error() { return error_number_for_win32_code(GetLastError()); }

}  // namespace zizuvu
