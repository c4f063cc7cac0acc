#pragma once
// Turns Win32 console key events into the program's key texts: modifier keys alone
// and key releases are skipped, Alt with a letter is 0 and the letter's scan code,
// a key without a character is 0 and its scan code, and with Caps Lock on the digit
// and punctuation rows follow Shift alone, as on a PC keyboard without Caps Lock.
//
// Plain data in, plain data out (no windows.h), so the rules can be tested anywhere.
//
//   ConsoleKeyEvent     the fields of a KEY_EVENT_RECORD that matter
//   KEY_STATE_*         dwControlKeyState bits
//   is_skipped_event    an event that gives no key (release, modifier alone)
//   translate_key       the key text of an event that is not skipped

#include <cstdint>

#include "platform/key_text.hpp"

namespace zizuvu {

inline constexpr std::uint32_t KEY_STATE_RIGHT_ALT = 0x0001;
inline constexpr std::uint32_t KEY_STATE_LEFT_ALT = 0x0002;
inline constexpr std::uint32_t KEY_STATE_SHIFT = 0x0010;
inline constexpr std::uint32_t KEY_STATE_CAPSLOCK = 0x0080;

struct ConsoleKeyEvent {
    bool key_down = true;
    std::uint16_t scan_code = 0;
    std::uint8_t character = 0;  // uChar.AsciiChar, 0 for a key without one
    std::uint32_t control_state = 0;
    std::uint16_t virtual_key = 0;
};

bool is_skipped_event(const ConsoleKeyEvent& event);
KeyText translate_key(const ConsoleKeyEvent& event);

}  // namespace zizuvu
