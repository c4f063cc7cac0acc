#include "platform/win32/key_translation.hpp"

#include <gtest/gtest.h>

namespace zizuvu {
namespace {

ConsoleKeyEvent press(std::uint16_t scan_code, char character, std::uint32_t state = 0) {
    return ConsoleKeyEvent{true, scan_code, static_cast<std::uint8_t>(character), state, 0};
}

// A press that the console reports with its virtual key but no character.
ConsoleKeyEvent press_without_character(std::uint16_t scan_code, std::uint16_t virtual_key) {
    ConsoleKeyEvent event = press(scan_code, 0);
    event.virtual_key = virtual_key;
    return event;
}

TEST(Win32KeyTranslation, ReleasesAndModifiersAloneGiveNoKey) {
    EXPECT_TRUE(is_skipped_event(ConsoleKeyEvent{false, 0x1E, 'a', 0}));
    for (std::uint16_t modifier : {0x1D, 0x2A, 0x36, 0x38, 0x3A, 0x45, 0x46}) {
        EXPECT_TRUE(is_skipped_event(press(modifier, 0))) << modifier;
    }
    EXPECT_FALSE(is_skipped_event(press(0x1E, 'a')));
    EXPECT_FALSE(is_skipped_event(press(0x3B, 0)));  // F1 has no character and is a key
}

TEST(Win32KeyTranslation, CharactersAreOneByteAndKeysWithoutOneAreZeroAndScanCode) {
    EXPECT_EQ(translate_key(press(0x01, 27)), character_key(KEY_ESCAPE));
    EXPECT_EQ(translate_key(press(0x1C, 13)), character_key(KEY_ENTER));
    EXPECT_EQ(translate_key(press(0x0E, 8)), character_key(KEY_BACKSPACE));
    EXPECT_EQ(translate_key(press(0x1E, 1, 0x0008)), character_key(1));  // Ctrl+A
    EXPECT_EQ(translate_key(press(0x3B, 0)), extended_key(SCAN_F1));
    EXPECT_EQ(translate_key(press(0x48, 0)), extended_key(SCAN_UP));
    EXPECT_EQ(translate_key(press(0x53, 0)), extended_key(SCAN_DELETE));
    EXPECT_EQ(translate_key(press(0x1E, static_cast<char>(0x84))), character_key(0x84));  // a code-page letter
}

TEST(Win32KeyTranslation, EscapeEnterBackspaceAndTabWithoutTheirCharacterStillGiveIt) {
    // Wine's console reports Escape from a terminal with no character.
    EXPECT_EQ(translate_key(press_without_character(0x01, 0x1B)), character_key(KEY_ESCAPE));
    EXPECT_EQ(translate_key(press_without_character(0x1C, 0x0D)), character_key(KEY_ENTER));
    EXPECT_EQ(translate_key(press_without_character(0x0E, 0x08)), character_key(KEY_BACKSPACE));
    EXPECT_EQ(translate_key(press_without_character(0x0F, 0x09)), character_key(KEY_TAB));
    // Other keys without a character stay two-byte keys.
    EXPECT_EQ(translate_key(press_without_character(0x3B, 0x70)), extended_key(SCAN_F1));
}

TEST(Win32KeyTranslation, AltWithALetterIsZeroAndTheLettersScanCode) {
    EXPECT_EQ(translate_key(press(0x2D, 'x', KEY_STATE_LEFT_ALT)), extended_key(0x2D));
    EXPECT_EQ(translate_key(press(0x10, 'q', KEY_STATE_RIGHT_ALT)), extended_key(0x10));
    EXPECT_EQ(translate_key(press(0x32, 'm', KEY_STATE_LEFT_ALT)), extended_key(0x32));
    // Only letters change under Alt: a digit keeps its character.
    EXPECT_EQ(translate_key(press(0x02, '1', KEY_STATE_LEFT_ALT)), character_key('1'));
}

TEST(Win32KeyTranslation, WithCapsLockShiftAloneDecidesTheDigitAndPunctuationRows) {
    const std::uint32_t caps = KEY_STATE_CAPSLOCK;
    const std::uint32_t caps_shift = KEY_STATE_CAPSLOCK | KEY_STATE_SHIFT;
    // A console that shifted the row under Caps Lock is put right, and one that did not is too.
    EXPECT_EQ(translate_key(press(0x02, '!', caps)), character_key('1'));
    EXPECT_EQ(translate_key(press(0x02, '1', caps_shift)), character_key('!'));
    EXPECT_EQ(translate_key(press(0x02, '1', caps)), character_key('1'));
    EXPECT_EQ(translate_key(press(0x02, '!', caps_shift)), character_key('!'));
    EXPECT_EQ(translate_key(press(0x03, '2', caps_shift)), character_key('@'));
    EXPECT_EQ(translate_key(press(0x0C, '_', caps)), character_key('-'));
    EXPECT_EQ(translate_key(press(0x28, '\'', caps_shift)), character_key('"'));
    EXPECT_EQ(translate_key(press(0x2B, '|', caps)), character_key('\\'));
    EXPECT_EQ(translate_key(press(0x35, '/', caps_shift)), character_key('?'));
    // Letters keep what Caps Lock made of them; Escape is always 27.
    EXPECT_EQ(translate_key(press(0x1E, 'A', caps)), character_key('A'));
    EXPECT_EQ(translate_key(press(0x01, 0x1B, caps_shift)), character_key(KEY_ESCAPE));
    EXPECT_EQ(translate_key(press(0x01, 'x', caps)), character_key(KEY_ESCAPE));
    // Without Caps Lock nothing is corrected.
    EXPECT_EQ(translate_key(press(0x02, '!', 0)), character_key('!'));
}

}  // namespace
}  // namespace zizuvu
