#pragma once
// The radio maker's download-mode codes. They are build settings (see README:
// ZIZUVU_X71_CODE, ZIZUVU_X71_CODE_BEFORE_545, ZIZUVU_MODE_COMMAND) and reach the
// program as one-character pieces, which the download procedures put together as
// they send them; no code stands whole in the program's data.
//
//   X71_CODE_LENGTH, X71_CODE_BEFORE_545_LENGTH, MODE_COMMAND_LENGTH
//   x71_code_piece              the X.71-and-older code for firmware 5.45 or greater
//   x71_code_before_545_piece   the X.71-and-older code for older firmware
//   mode_command_piece          MODE_COMMAND of the X.72-and-newer download
//   DownloadCode, x71_code, x71_code_before_545, mode_command   a whole code, put together

#include <array>
#include <cstdint>
#include <string_view>

namespace zizuvu {

inline constexpr int X71_CODE_LENGTH = 4;
inline constexpr int X71_CODE_BEFORE_545_LENGTH = 1;
inline constexpr int MODE_COMMAND_LENGTH = 4;

// One-character texts, position 0 first; a position outside the code gives "".
std::string_view x71_code_piece(int position);
std::string_view x71_code_before_545_piece(int position);
std::uint8_t mode_command_piece(int position);

struct DownloadCode {
    std::array<std::uint8_t, 4> bytes{};
    int length = 0;
    std::string_view text() const { return {reinterpret_cast<const char*>(bytes.data()), static_cast<std::size_t>(length)}; }
};
DownloadCode x71_code();
DownloadCode x71_code_before_545();
DownloadCode mode_command();

}  // namespace zizuvu
