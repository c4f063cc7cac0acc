#include "serial/error_state.hpp"

namespace zizuvu {

void record_error(ErrorState& errors, int number) {
    if (number <= 0 || number > 255) number = ERROR_INTERNAL;
    errors.number = static_cast<std::uint8_t>(number);
    errors.detail = 0;
}

int error_number(const ErrorState& errors) { return errors.number; }

void clear_error(ErrorState& errors) { errors = ErrorState{}; }

}  // namespace zizuvu
