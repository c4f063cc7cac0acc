#include "download/radio_codes.hpp"

#include "radio_code_pieces.hpp"  // generated from the build settings

namespace zizuvu {
namespace {

// Each piece is its own one-byte object, so the codes are only ever whole once a
// procedure has put them together.
std::string_view piece_text(const char& piece) { return {&piece, 1}; }

template <std::size_t N>
std::string_view piece_at(const char (&pieces)[N][1], int position) {
    if (position < 0 || position >= static_cast<int>(N)) return {};
    return piece_text(pieces[position][0]);
}

template <typename Piece>
DownloadCode put_together(Piece piece, int length) {
    DownloadCode code;
    for (int i = 0; i < length; ++i) code.bytes[static_cast<std::size_t>(i)] = piece(i);
    code.length = length;
    return code;
}

}  // namespace

std::string_view x71_code_piece(int position) { return piece_at(radio_code_pieces::X71_CODE, position); }

std::string_view x71_code_before_545_piece(int position) {
    return piece_at(radio_code_pieces::X71_CODE_BEFORE_545, position);
}

std::uint8_t mode_command_piece(int position) {
    if (position < 0 || position >= MODE_COMMAND_LENGTH) return 0;
    return static_cast<std::uint8_t>(radio_code_pieces::MODE_COMMAND[position][0]);
}

DownloadCode x71_code() {
    return put_together([](int i) { return static_cast<std::uint8_t>(x71_code_piece(i)[0]); }, X71_CODE_LENGTH);
}

DownloadCode x71_code_before_545() {
    return put_together([](int i) { return static_cast<std::uint8_t>(x71_code_before_545_piece(i)[0]); },
                        X71_CODE_BEFORE_545_LENGTH);
}

DownloadCode mode_command() { return put_together(mode_command_piece, MODE_COMMAND_LENGTH); }

}  // namespace zizuvu
