#pragma once
// Whether a standard stream goes to a terminal, where a line can be drawn over again,
// or to a file or a pipe, which take plain lines.
//
//   is_terminal_stream

#include <cstdio>

namespace zizuvu {

bool is_terminal_stream(std::FILE* stream);

}  // namespace zizuvu
