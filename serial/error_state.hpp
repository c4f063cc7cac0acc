#pragma once
// The program's one error state. A failing operation records its number here and
// the program carries on; the procedures look at it at their own check points and
// only the status-line indicator clears it.
//
//   ErrorState            error number (0 = none) and detail
//   record_error          a failure: the later one replaces an earlier one
//   error_number          what is pending
//   clear_error           back to none (the indicator's job)
//   ERROR_*               the numbers this program's own operations report

#include <cstdint>

namespace zizuvu {

struct ErrorState {
    std::uint8_t number = 0;
    std::uint16_t detail = 0;
};

inline constexpr int ERROR_SETTING_REFUSED = 5;
inline constexpr int ERROR_NO_MEMORY = 7;
inline constexpr int ERROR_INTERNAL = 51;
inline constexpr int ERROR_BAD_CHANNEL = 52;
inline constexpr int ERROR_FILE_NOT_FOUND = 53;
inline constexpr int ERROR_WRONG_MODE = 54;
inline constexpr int ERROR_CHANNEL_ALREADY_OPEN = 55;
inline constexpr int ERROR_LINE_FAULT = 57;
inline constexpr int ERROR_BAD_NAME = 64;
inline constexpr int ERROR_DEVICE_IO = 69;
inline constexpr int ERROR_PERMISSION_DENIED = 70;
inline constexpr int ERROR_DEVICE_UNAVAILABLE = 75;

// A number outside 1..255 is an internal fault and is recorded as 51, never as "no error".
void record_error(ErrorState& errors, int number);
int error_number(const ErrorState& errors);
void clear_error(ErrorState& errors);

}  // namespace zizuvu
