#include "platform/linux/termios_line_state.hpp"

namespace zizuvu {
namespace {

struct SpeedEntry {
    std::uint32_t baud;
    speed_t speed;
};

constexpr SpeedEntry speeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

constexpr tcflag_t FRAMING_AND_FLOW = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS;

std::optional<tcflag_t> size_flag(std::uint8_t byte_size) {
    switch (byte_size) {
        case 5: return CS5;
        case 6: return CS6;
        case 7: return CS7;
        case 8: return CS8;
        default: return std::nullopt;
    }
}

std::uint8_t byte_size_of(tcflag_t cflag) {
    switch (cflag & CSIZE) {
        case CS5: return 5;
        case CS6: return 6;
        case CS7: return 7;
        default: return 8;
    }
}

std::optional<tcflag_t> parity_flags(Parity parity) {
    switch (parity) {
        case Parity::none: return tcflag_t{0};
        case Parity::odd: return PARENB | PARODD;
        case Parity::even: return PARENB;
        case Parity::mark: return PARENB | PARODD | CMSPAR;
        case Parity::space: return PARENB | CMSPAR;
    }
    return std::nullopt;
}

Parity parity_of(tcflag_t cflag) {
    if ((cflag & PARENB) == 0) return Parity::none;
    const bool odd = (cflag & PARODD) != 0;
    if ((cflag & CMSPAR) != 0) return odd ? Parity::mark : Parity::space;
    return odd ? Parity::odd : Parity::even;
}

// The UART sends one and a half stop bits when asked for two with 5 data bits;
// two are possible only with 6 to 8 data bits.
std::optional<bool> two_stop_bits(StopBits stop_bits, std::uint8_t data_bits) {
    switch (stop_bits) {
        case StopBits::one: return false;
        case StopBits::one_and_a_half: return data_bits == 5 ? std::optional<bool>(true) : std::nullopt;
        case StopBits::two: return data_bits > 5 ? std::optional<bool>(true) : std::nullopt;
    }
    return std::nullopt;
}

void set_flag(tcflag_t& flags, tcflag_t flag, bool on) {
    if (on) {
        flags |= flag;
    } else {
        flags &= ~flag;
    }
}

}  // namespace

std::uint32_t baud_from_speed(speed_t speed) {
    for (const SpeedEntry& entry : speeds) {
        if (entry.speed == speed) return entry.baud;
    }
    return 0;
}

std::optional<speed_t> speed_for_baud(std::uint32_t baud) {
    for (const SpeedEntry& entry : speeds) {
        if (entry.baud == baud) return entry.speed;
    }
    return std::nullopt;
}

LineSettings line_settings_from_termios(const termios& mode) {
    LineSettings settings;
    settings.baud_rate = baud_from_speed(cfgetospeed(&mode));
    settings.data_bits = byte_size_of(mode.c_cflag);
    settings.parity = parity_of(mode.c_cflag);
    if ((mode.c_cflag & CSTOPB) != 0) {
        settings.stop_bits = settings.data_bits == 5 ? StopBits::one_and_a_half : StopBits::two;
    }
    settings.parity_check = (mode.c_iflag & INPCK) != 0;
    settings.cts_flow = (mode.c_cflag & CRTSCTS) != 0;
    // A Linux serial device has no DSR flow control, no DSR-gated input and no DTR
    // flow control: all three read as off.
    return settings;
}

bool apply_line_settings(termios& mode, const LineSettings& wanted) {
    // Refusing what a Linux serial driver cannot do is honest; pretending to have
    // set it is not.
    if (wanted.dsr_flow || wanted.dsr_sensitivity || wanted.dtr_flow) return false;
    const std::optional<tcflag_t> size = size_flag(wanted.data_bits);
    const std::optional<tcflag_t> parity = parity_flags(wanted.parity);
    if (!size || !parity) return false;
    const std::optional<bool> two_stops = two_stop_bits(wanted.stop_bits, wanted.data_bits);
    if (!two_stops) return false;

    termios changed = mode;
    if (wanted.baud_rate != baud_from_speed(cfgetospeed(&mode))) {
        const std::optional<speed_t> speed = speed_for_baud(wanted.baud_rate);
        if (!speed || cfsetospeed(&changed, *speed) != 0 || cfsetispeed(&changed, *speed) != 0) return false;
    }
    changed.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR);
    changed.c_cflag |= *size | *parity;
    set_flag(changed.c_cflag, CSTOPB, *two_stops);
    set_flag(changed.c_cflag, CRTSCTS, wanted.cts_flow);
    set_flag(changed.c_iflag, INPCK, wanted.parity_check);
    mode = changed;
    return true;
}

termios raw_port_mode(termios mode) {
    // As a Win32 port: no line editing, echo, signals, CR/NL translation, stripping,
    // break or parity marks and no XON/XOFF; output unprocessed; the line never
    // hangs the port up. Speed, size, parity, stop bits, CTS flow and parity
    // checking stay as they are.
    mode.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IXON |
                                           IXOFF | IXANY | IMAXBEL);
    mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    mode.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN | XCASE);
    mode.c_cflag |= CLOCAL | CREAD;
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    return mode;
}

bool same_line_settings(const termios& a, const termios& b) {
    return (a.c_cflag & FRAMING_AND_FLOW) == (b.c_cflag & FRAMING_AND_FLOW) &&
           (a.c_iflag & INPCK) == (b.c_iflag & INPCK) && cfgetospeed(&a) == cfgetospeed(&b) &&
           cfgetispeed(&a) == cfgetispeed(&b);
}

}  // namespace zizuvu
