#include "platform/linux/key_decoder.hpp"

#include "platform/cp437.hpp"

namespace zizuvu {
namespace {

constexpr std::uint8_t ESC = 0x1B;
constexpr std::uint8_t DEL = 0x7F;
constexpr std::uint8_t SCAN_CTRL_2 = 0x03;  // Ctrl+2 / Ctrl+@ sends NUL: a key without a character

// The "CSI n ~" keys by their number.
struct TildeKey {
    int number;
    std::uint8_t scan_code;
};
constexpr TildeKey tilde_keys[] = {
    {1, SCAN_HOME}, {2, SCAN_INSERT}, {3, SCAN_DELETE}, {4, SCAN_END}, {5, SCAN_PAGE_UP}, {6, SCAN_PAGE_DOWN},
    {7, SCAN_HOME}, {8, SCAN_END},  // rxvt
    {11, SCAN_F1}, {12, 0x3C}, {13, 0x3D}, {14, 0x3E}, {15, 0x3F},
    {17, 0x40}, {18, 0x41}, {19, 0x42}, {20, 0x43}, {21, SCAN_F10}, {23, SCAN_F11}, {24, SCAN_F12},
};

// Final bytes of CSI and SS3 sequences that name a key by themselves.
std::uint8_t scan_code_of_final(std::uint8_t final_byte) {
    switch (final_byte) {
        case 'A': return SCAN_UP;
        case 'B': return SCAN_DOWN;
        case 'C': return SCAN_RIGHT;
        case 'D': return SCAN_LEFT;
        case 'H': return SCAN_HOME;
        case 'F': return SCAN_END;
        case 'P': return SCAN_F1;
        case 'Q': return 0x3C;
        case 'R': return 0x3D;
        case 'S': return 0x3E;
        default: return 0;
    }
}

void push_character(KeyQueue& keys, std::uint8_t c) {
    if (c == 0) {
        keys.push(extended_key(SCAN_CTRL_2));
    } else {
        keys.push(character_key(c == DEL ? KEY_BACKSPACE : c));
    }
}

}  // namespace

std::optional<KeyDecoder::Clock::time_point> KeyDecoder::deadline() const {
    if (state_ == State::ground || state_ == State::utf8) return std::nullopt;
    return escape_time_ + ESCAPE_QUIET;
}

void KeyDecoder::start_escape(Clock::time_point now) {
    state_ = State::escape;
    escape_time_ = now;
    length_ = 0;
}

void KeyDecoder::expire(Clock::time_point now, KeyQueue& keys) {
    const auto due = deadline();
    if (!due || now < *due) return;
    switch (state_) {
        case State::escape: keys.push(character_key(KEY_ESCAPE)); break;
        // Escape then "[" or "O" and silence: the operator held Alt with that key.
        case State::csi:
            if (length_ == 0) keys.push(character_key('['));
            break;
        case State::ss3: keys.push(extended_key(letter_scan_code('O'))); break;
        default: break;
    }
    reset();
}

void KeyDecoder::feed(std::uint8_t byte, Clock::time_point now, KeyQueue& keys) {
    if (byte == ESC && state_ != State::ground && state_ != State::utf8) {
        // A new Escape restarts decoding; a lone Escape before it was a key of its own.
        if (state_ == State::escape) keys.push(character_key(KEY_ESCAPE));
        start_escape(now);
        return;
    }
    switch (state_) {
        case State::ground: ground(byte, now, keys); break;
        case State::escape: after_escape(byte, now, keys); break;
        case State::csi: in_csi(byte, keys); break;
        case State::ss3: in_ss3(byte, keys); break;
        case State::linux_function:
            if (byte >= 'A' && byte <= 'E') keys.push(extended_key(static_cast<std::uint8_t>(SCAN_F1 + (byte - 'A'))));
            reset();
            break;
        case State::utf8: in_utf8(byte, now, keys); break;
    }
}

void KeyDecoder::ground(std::uint8_t byte, Clock::time_point now, KeyQueue& keys) {
    if (byte == ESC) {
        start_escape(now);
    } else if (byte < 0x80) {
        push_character(keys, byte);
    } else if (byte >= 0xC2 && byte <= 0xF4) {
        state_ = State::utf8;
        continuation_left_ = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
        code_point_ = byte & (byte >= 0xF0 ? 0x07U : byte >= 0xE0 ? 0x0FU : 0x1FU);
    }
    // Other bytes above 0x7F cannot start a character and are dropped.
}

void KeyDecoder::in_utf8(std::uint8_t byte, Clock::time_point now, KeyQueue& keys) {
    if ((byte & 0xC0) != 0x80) {
        reset();
        ground(byte, now, keys);
        return;
    }
    code_point_ = (code_point_ << 6) | (byte & 0x3FU);
    if (--continuation_left_ > 0) return;
    reset();
    const int cp437 = cp437_from_unicode(code_point_);
    if (cp437 >= 0x80) keys.push(character_key(static_cast<std::uint8_t>(cp437)));
}

void KeyDecoder::after_escape(std::uint8_t byte, Clock::time_point now, KeyQueue& keys) {
    if (byte == '[') {
        state_ = State::csi;
        return;
    }
    if (byte == 'O') {
        state_ = State::ss3;
        return;
    }
    reset();
    // Alt changes only the letter keys on the PC keyboard; with any other key it is ignored.
    if (const std::uint8_t scan = letter_scan_code(byte); scan != 0) {
        keys.push(extended_key(scan));
    } else {
        ground(byte, now, keys);
    }
}

void KeyDecoder::in_csi(std::uint8_t byte, KeyQueue& keys) {
    if (length_ == 0 && byte == '[') {
        state_ = State::linux_function;  // Linux console F1..F5: ESC [ [ A..E
        return;
    }
    if (byte >= 0x20 && byte <= 0x3F) {
        if (length_ == SEQUENCE_CAP) {
            reset();  // too long to be a key: dropped
            return;
        }
        sequence_[length_++] = byte;
        return;
    }
    if (byte >= 0x40 && byte <= 0x7E) {
        finish_csi(byte, keys);
        return;
    }
    reset();  // a control byte inside a sequence: the sequence is dropped
}

void KeyDecoder::finish_csi(std::uint8_t final_byte, KeyQueue& keys) {
    // Modifier parameters ("1;5A" for Ctrl+Up) are ignored: the PC key without a
    // character has the same scan code whatever modifier is held.
    int first = 0;
    bool private_sequence = false;
    std::size_t i = 0;
    if (length_ > 0 && (sequence_[0] == '<' || sequence_[0] == '=' || sequence_[0] == '>' || sequence_[0] == '?')) {
        private_sequence = true;
    }
    // Up to 16 digits fit in a sequence; once the number is above every key's, more
    // digits cannot make it one, and stopping there keeps it within an int.
    constexpr int ABOVE_EVERY_KEY = 1000;
    for (; i < length_ && sequence_[i] >= '0' && sequence_[i] <= '9'; ++i) {
        if (first < ABOVE_EVERY_KEY) first = first * 10 + (sequence_[i] - '0');
    }
    reset();
    if (private_sequence) return;
    if (final_byte == '~') {
        for (const TildeKey& key : tilde_keys) {
            if (key.number == first) keys.push(extended_key(key.scan_code));
        }
        return;
    }
    if (final_byte == 'Z') {
        keys.push(character_key(KEY_TAB));  // Shift+Tab: on the PC it is still Tab
        return;
    }
    if (const std::uint8_t scan = scan_code_of_final(final_byte); scan != 0) keys.push(extended_key(scan));
}

void KeyDecoder::in_ss3(std::uint8_t byte, KeyQueue& keys) {
    reset();
    if (byte == 'M') {
        keys.push(character_key(KEY_ENTER));  // keypad Enter in application mode
    } else if (byte >= 'j' && byte <= 'y') {
        static constexpr char keypad[] = "*+,-./0123456789";
        keys.push(character_key(static_cast<std::uint8_t>(keypad[byte - 'j'])));
    } else if (const std::uint8_t scan = scan_code_of_final(byte); scan != 0) {
        keys.push(extended_key(scan));
    }
}

}  // namespace zizuvu
