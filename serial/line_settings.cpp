#include "serial/line_settings.hpp"

namespace zizuvu {
namespace {

bool fits_in_byte(std::int32_t value) { return value >= 0 && value <= 255; }

void change_data_bits(LineState& state, std::uint8_t bits) {
    state.byte_size = bits;
    if (bits == 5 && state.stop_bits == TWOSTOPBITS) state.stop_bits = ONE5STOPBITS;
    if (bits > 5) state.stop_bits = ONESTOPBIT;
    if (bits >= 8) {
        state.parity_check = false;
        state.parity = NOPARITY;
    }
}

}  // namespace

bool change_line_setting(LineState& state, int code, std::int32_t value) {
    const bool on = value != 0;
    switch (code) {
        case OPTION_BAUD_RATE:
            if (value <= 0) return false;
            state.baud_rate = static_cast<std::uint32_t>(value);
            return true;
        case OPTION_DATA_BITS:
            if (!fits_in_byte(value)) return false;
            change_data_bits(state, static_cast<std::uint8_t>(value));
            return true;
        case OPTION_STOP_BITS:
            if (!fits_in_byte(value)) return false;
            state.stop_bits = static_cast<std::uint8_t>(value);
            return true;
        case OPTION_CTS_FLOW:
            state.cts_flow = on;
            return true;
        case OPTION_DSR_FLOW:
            state.dsr_flow = on;
            return true;
        case OPTION_DSR_SENSITIVITY:
            state.dsr_sensitivity = on;
            return true;
        case OPTION_DTR_HANDSHAKE:
            state.dtr_control = on ? DtrControl::handshake : DtrControl::disable;
            return true;
        case OPTION_DTR_LINE:
            state.dtr_control = on ? DtrControl::enable : DtrControl::disable;
            return true;
        case OPTION_PARITY_CHECK:
            state.parity_check = on;
            return true;
        default:
            return false;
    }
}

}  // namespace zizuvu
