#include "platform/linux/stream_kind.hpp"

#include <unistd.h>

namespace zizuvu {

bool is_terminal_stream(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

}  // namespace zizuvu
