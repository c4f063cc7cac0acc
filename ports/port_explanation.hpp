#pragma once
// The words a technician reads next to the program's error number: what is wrong
// with the port and what to do about it, short enough for one screen row.
//
//   EXPLANATION_WIDTH      the longest text, so that it fits an 80-column row
//   explain_port_problem   the error number and the port's state now, in words, with the fix
//   describe_port_state    the state alone, as the port listing shows it: "present", "missing"..
//   shorten_path_left      a path cut from the left to fit: ".../by-id/usb-FTDI_..."

#include <cstddef>
#include <string>

#include "ports/port_state.hpp"

namespace zizuvu {

inline constexpr std::size_t EXPLANATION_WIDTH = 78;

// The error number says what failed when the program tried (0 when nothing did);
// the state says what the port looks like now, which is what the fix depends on.
// Paths are cut from the left so that the text fits in `width`.
std::string explain_port_problem(int error_number, const std::string& path, const PortState& state,
                                 std::size_t width = EXPLANATION_WIDTH);

std::string describe_port_state(const PortState& state);

std::string shorten_path_left(const std::string& path, std::size_t width);

}  // namespace zizuvu
