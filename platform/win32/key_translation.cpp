#include "platform/win32/key_translation.hpp"

namespace zizuvu {
namespace {

constexpr std::uint16_t SCAN_ESCAPE = 0x01;

bool is_modifier(std::uint16_t scan_code) {
    switch (scan_code) {
        case 0x1D:  // Ctrl
        case 0x2A:  // left Shift
        case 0x36:  // right Shift
        case 0x38:  // Alt
        case 0x3A:  // Caps Lock
        case 0x45:  // Num Lock
        case 0x46:  // Scroll Lock
            return true;
        default:
            return false;
    }
}

bool is_letter_key(std::uint16_t scan_code) {
    return (scan_code >= 0x10 && scan_code <= 0x19) || (scan_code >= 0x1E && scan_code <= 0x26) ||
           (scan_code >= 0x2C && scan_code <= 0x32);
}

// The digit and punctuation keys: their unshifted and shifted characters.
struct ShiftPair {
    std::uint8_t scan_code;
    std::uint8_t unshifted;
    std::uint8_t shifted;
};

constexpr ShiftPair shift_pairs[] = {
    {0x02, '1', '!'}, {0x03, '2', '@'}, {0x04, '3', '#'}, {0x05, '4', '$'}, {0x06, '5', '%'},
    {0x07, '6', '^'}, {0x08, '7', '&'}, {0x09, '8', '*'}, {0x0A, '9', '('}, {0x0B, '0', ')'},
    {0x0C, '-', '_'}, {0x0D, '=', '+'}, {0x1A, '[', '{'}, {0x1B, ']', '}'}, {0x27, ';', ':'},
    {0x28, '\'', '"'}, {0x29, '`', '~'}, {0x2B, '\\', '|'}, {0x33, ',', '<'}, {0x34, '.', '>'},
    {0x35, '/', '?'},
};

std::uint8_t caps_lock_corrected(std::uint16_t scan_code, std::uint8_t character, bool shift) {
    if (scan_code == SCAN_ESCAPE) return KEY_ESCAPE;
    for (const ShiftPair& pair : shift_pairs) {
        if (pair.scan_code != scan_code) continue;
        if (shift && character == pair.unshifted) return pair.shifted;
        if (!shift && character == pair.shifted) return pair.unshifted;
        break;
    }
    return character;
}

// Escape, Enter, Backspace and Tab carry their control character on a PC keyboard;
// a console that reports one of them without it (wine's, for Escape) gets it here.
// Their virtual-key codes are those characters.
std::uint8_t character_of(const ConsoleKeyEvent& event) {
    if (event.character != 0) return event.character;
    switch (event.virtual_key) {
        case KEY_ESCAPE:
        case KEY_ENTER:
        case KEY_BACKSPACE:
        case KEY_TAB:
            return static_cast<std::uint8_t>(event.virtual_key);
        default:
            return 0;
    }
}

}  // namespace

bool is_skipped_event(const ConsoleKeyEvent& event) { return !event.key_down || is_modifier(event.scan_code); }

KeyText translate_key(const ConsoleKeyEvent& event) {
    const std::uint8_t character = character_of(event);
    if (character == 0) return extended_key(static_cast<std::uint8_t>(event.scan_code));
    const bool alt = (event.control_state & (KEY_STATE_LEFT_ALT | KEY_STATE_RIGHT_ALT)) != 0;
    if (alt && is_letter_key(event.scan_code)) return extended_key(static_cast<std::uint8_t>(event.scan_code));
    if ((event.control_state & KEY_STATE_CAPSLOCK) != 0) {
        const bool shift = (event.control_state & KEY_STATE_SHIFT) != 0;
        return character_key(caps_lock_corrected(event.scan_code, character, shift));
    }
    return character_key(character);
}

}  // namespace zizuvu
