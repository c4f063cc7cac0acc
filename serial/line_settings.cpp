#include "serial/line_settings.hpp"

namespace zizuvu {
namespace {

bool fits_in_byte(std::int32_t value) { return value >= 0 && value <= 255; }

void change_data_bits(LineSettings& settings, std::uint8_t bits) {
    settings.data_bits = bits;
    if (bits == 5 && settings.stop_bits == StopBits::two) settings.stop_bits = StopBits::one_and_a_half;
    if (bits > 5) settings.stop_bits = StopBits::one;
    if (bits >= 8) {
        settings.parity_check = false;
        settings.parity = Parity::none;
    }
}

std::optional<StopBits> stop_bits_for(std::int32_t value) {
    switch (value) {
        case STOP_BITS_ONE: return StopBits::one;
        case STOP_BITS_ONE_AND_A_HALF: return StopBits::one_and_a_half;
        case STOP_BITS_TWO: return StopBits::two;
        default: return std::nullopt;
    }
}

// The options that only turn one of the line's switches on or off.
bool* switch_for(LineSettings& settings, int code) {
    switch (code) {
        case OPTION_CTS_FLOW: return &settings.cts_flow;
        case OPTION_DSR_FLOW: return &settings.dsr_flow;
        case OPTION_DSR_SENSITIVITY: return &settings.dsr_sensitivity;
        case OPTION_PARITY_CHECK: return &settings.parity_check;
        default: return nullptr;
    }
}

}  // namespace

std::optional<DtrControl> dtr_control_for(int code, std::int32_t value) {
    const bool on = value != 0;
    if (code == OPTION_DTR_HANDSHAKE) return on ? DtrControl::handshake : DtrControl::lowered;
    if (code == OPTION_DTR_LINE) return on ? DtrControl::raised : DtrControl::lowered;
    return std::nullopt;
}

bool change_line_setting(LineSettings& settings, int code, std::int32_t value) {
    switch (code) {
        case OPTION_BAUD_RATE:
            if (value <= 0) return false;
            settings.baud_rate = static_cast<std::uint32_t>(value);
            return true;
        case OPTION_DATA_BITS:
            if (!fits_in_byte(value)) return false;
            change_data_bits(settings, static_cast<std::uint8_t>(value));
            return true;
        case OPTION_STOP_BITS: {
            const std::optional<StopBits> stop_bits = stop_bits_for(value);
            if (!stop_bits) return false;
            settings.stop_bits = *stop_bits;
            return true;
        }
        default: {
            bool* const flag = switch_for(settings, code);
            if (flag == nullptr) return false;
            *flag = value != 0;
            return true;
        }
    }
}

}  // namespace zizuvu
