#pragma once
// What one keyboard poll yields: nothing, one byte (a character: Enter 13, Escape 27,
// Backspace 8, Ctrl+letter 1..26), or two bytes, 0 and a PC scan code, for a key
// without a character (function, cursor and editing keys) and for Alt with a letter.
//
//   KeyText, character_key, extended_key
//   SCAN_*      the scan codes the program and the key decoders use
//   KEY_*       characters the program compares against

#include <cstdint>
#include <string_view>

namespace zizuvu {

struct KeyText {
    std::uint8_t length = 0;
    std::uint8_t bytes[2] = {0, 0};

    bool empty() const { return length == 0; }
    bool is(std::uint8_t character) const { return length == 1 && bytes[0] == character; }
    bool is_extended(std::uint8_t scan_code) const { return length == 2 && bytes[0] == 0 && bytes[1] == scan_code; }
    std::string_view text() const { return {reinterpret_cast<const char*>(bytes), length}; }

    friend bool operator==(const KeyText&, const KeyText&) = default;
};

constexpr KeyText character_key(std::uint8_t character) { return KeyText{1, {character, 0}}; }
constexpr KeyText extended_key(std::uint8_t scan_code) { return KeyText{2, {0, scan_code}}; }

inline constexpr std::uint8_t KEY_BACKSPACE = 8;
inline constexpr std::uint8_t KEY_TAB = 9;
inline constexpr std::uint8_t KEY_ENTER = 13;
inline constexpr std::uint8_t KEY_ESCAPE = 27;

inline constexpr std::uint8_t SCAN_F1 = 0x3B;
inline constexpr std::uint8_t SCAN_F2 = 0x3C;
inline constexpr std::uint8_t SCAN_F10 = 0x44;
inline constexpr std::uint8_t SCAN_F11 = 0x85;
inline constexpr std::uint8_t SCAN_F12 = 0x86;
inline constexpr std::uint8_t SCAN_HOME = 0x47;
inline constexpr std::uint8_t SCAN_UP = 0x48;
inline constexpr std::uint8_t SCAN_PAGE_UP = 0x49;
inline constexpr std::uint8_t SCAN_LEFT = 0x4B;
inline constexpr std::uint8_t SCAN_RIGHT = 0x4D;
inline constexpr std::uint8_t SCAN_END = 0x4F;
inline constexpr std::uint8_t SCAN_DOWN = 0x50;
inline constexpr std::uint8_t SCAN_PAGE_DOWN = 0x51;
inline constexpr std::uint8_t SCAN_INSERT = 0x52;
inline constexpr std::uint8_t SCAN_DELETE = 0x53;

// The PC scan code of a letter key, 0 for anything that is not a letter.
std::uint8_t letter_scan_code(std::uint8_t character);

}  // namespace zizuvu
