#include "platform/linux/key_decoder.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zizuvu {
namespace {

using Clock = KeyDecoder::Clock;

struct Decoded {
    std::vector<KeyText> keys;
    KeyDecoder decoder;
    Clock::time_point now = Clock::time_point{} + std::chrono::seconds(1);

    void feed(std::string_view bytes) {
        KeyQueue queue;
        for (char c : bytes) decoder.feed(static_cast<std::uint8_t>(c), now, queue);
        while (!queue.empty()) keys.push_back(queue.pop());
    }
    void wait(std::chrono::milliseconds quiet) {
        now += quiet;
        KeyQueue queue;
        decoder.expire(now, queue);
        while (!queue.empty()) keys.push_back(queue.pop());
    }
};

std::vector<KeyText> decode(std::string_view bytes) {
    Decoded d;
    d.feed(bytes);
    d.wait(std::chrono::milliseconds(100));
    return d.keys;
}

TEST(KeyDecoder, OrdinaryKeys) {
    EXPECT_EQ(decode("a"), std::vector{character_key('a')});
    EXPECT_EQ(decode("\x03"), std::vector{character_key(3)});  // Ctrl+C is a key, not a signal
    EXPECT_EQ(decode("\r"), std::vector{character_key(KEY_ENTER)});
    EXPECT_EQ(decode("\x7f"), std::vector{character_key(KEY_BACKSPACE)});
    EXPECT_EQ(decode("\b"), std::vector{character_key(KEY_BACKSPACE)});
    EXPECT_EQ(decode("\t"), std::vector{character_key(KEY_TAB)});
}

TEST(KeyDecoder, FunctionKeysOfEachTerminalFamily) {
    EXPECT_EQ(decode("\x1bOP"), std::vector{extended_key(SCAN_F1)});      // xterm
    EXPECT_EQ(decode("\x1b[11~"), std::vector{extended_key(SCAN_F1)});    // rxvt, old xterm
    EXPECT_EQ(decode("\x1b[[A"), std::vector{extended_key(SCAN_F1)});     // Linux console
    EXPECT_EQ(decode("\x1b[[E"), std::vector{extended_key(0x3F)});        // Linux console F5
    EXPECT_EQ(decode("\x1bOQ"), std::vector{extended_key(SCAN_F2)});
    EXPECT_EQ(decode("\x1b[21~"), std::vector{extended_key(SCAN_F10)});
    EXPECT_EQ(decode("\x1b[23~"), std::vector{extended_key(SCAN_F11)});
    EXPECT_EQ(decode("\x1b[24~"), std::vector{extended_key(SCAN_F12)});
    EXPECT_EQ(decode("\x1b[1;2P"), std::vector{extended_key(SCAN_F1)});   // Shift+F1: modifier ignored
}

TEST(KeyDecoder, CursorAndEditingKeys) {
    EXPECT_EQ(decode("\x1b[A"), std::vector{extended_key(SCAN_UP)});
    EXPECT_EQ(decode("\x1bOA"), std::vector{extended_key(SCAN_UP)});      // application cursor mode
    EXPECT_EQ(decode("\x1b[1;5A"), std::vector{extended_key(SCAN_UP)});   // Ctrl+Up
    EXPECT_EQ(decode("\x1b[D"), std::vector{extended_key(SCAN_LEFT)});
    EXPECT_EQ(decode("\x1b[H"), std::vector{extended_key(SCAN_HOME)});
    EXPECT_EQ(decode("\x1b[1~"), std::vector{extended_key(SCAN_HOME)});   // tmux, screen
    EXPECT_EQ(decode("\x1b[4~"), std::vector{extended_key(SCAN_END)});
    EXPECT_EQ(decode("\x1b[2~"), std::vector{extended_key(SCAN_INSERT)});
    EXPECT_EQ(decode("\x1b[3~"), std::vector{extended_key(SCAN_DELETE)});
    EXPECT_EQ(decode("\x1b[5~"), std::vector{extended_key(SCAN_PAGE_UP)});
    EXPECT_EQ(decode("\x1b[6~"), std::vector{extended_key(SCAN_PAGE_DOWN)});
}

TEST(KeyDecoder, AltChangesOnlyLetters) {
    EXPECT_EQ(decode("\x1bx"), std::vector{extended_key(0x2D)});
    EXPECT_EQ(decode("\x1bX"), std::vector{extended_key(0x2D)});
    EXPECT_EQ(decode("\x1b" "1"), std::vector{character_key('1')});
    EXPECT_EQ(decode("\x1bO"), std::vector{extended_key(0x18)});  // Alt+O, then silence
    EXPECT_EQ(decode("\x1b["), std::vector{character_key('[')});   // Alt+[, then silence
}

TEST(KeyDecoder, LoneEscapeNeedsAQuietGap) {
    Decoded d;
    d.feed("\x1b");
    d.wait(std::chrono::milliseconds(10));
    EXPECT_TRUE(d.keys.empty());
    ASSERT_TRUE(d.decoder.deadline().has_value());
    d.wait(std::chrono::milliseconds(45));
    EXPECT_EQ(d.keys, std::vector{character_key(KEY_ESCAPE)});
    EXPECT_FALSE(d.decoder.deadline().has_value());
}

TEST(KeyDecoder, NewEscapeRestartsDecoding) {
    EXPECT_EQ(decode("\x1b\x1b[A"), (std::vector{character_key(KEY_ESCAPE), extended_key(SCAN_UP)}));
    EXPECT_EQ(decode("\x1b[12\x1bOP"), std::vector{extended_key(SCAN_F1)});
}

TEST(KeyDecoder, UnknownAndOverlongSequencesAreDropped) {
    EXPECT_TRUE(decode("\x1b[?1;2c").empty());  // a terminal's answer, not a key
    EXPECT_TRUE(decode("\x1b[99~").empty());
    const std::string overlong = "\x1b[" + std::string(40, '1') + "~a";
    const std::vector<KeyText> keys = decode(overlong);
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys.back(), character_key('a'));
    for (const KeyText& k : keys) EXPECT_EQ(k.length, 1);  // no key invented from the sequence
}

TEST(KeyDecoder, LongNumbersInSequencesNameNoKey) {
    // 2^32 + 11: a number that wrapped around in an int would read as F1's 11.
    EXPECT_TRUE(decode("\x1b[4294967307~").empty());
    EXPECT_TRUE(decode("\x1b[9999999999999999~").empty());  // as many digits as a sequence holds
    EXPECT_EQ(decode("\x1b[0000000000000011~"), std::vector{extended_key(SCAN_F1)});  // leading zeros are no number
    // The number is ignored before a final byte that names the key by itself.
    EXPECT_EQ(decode("\x1b[55555555555555S"), std::vector{extended_key(0x3E)});
}

TEST(KeyDecoder, Utf8CharactersBecomeCodePageBytes) {
    EXPECT_EQ(decode("\xc3\xa9"), std::vector{character_key(0x82)});  // é
    EXPECT_TRUE(decode("\xe2\x82\xac").empty());                      // € has no glyph in the code page
    EXPECT_EQ(decode("\xc3" "a"), std::vector{character_key('a')});  // broken sequence: the byte after it counts
}

}  // namespace
}  // namespace zizuvu
