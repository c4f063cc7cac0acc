#pragma once
// A console device for tests: keys come from a script, handed out one at a time as
// the program looks for them; a key can be held back until the screen shows a text.
// When the script is used up the device asks for termination, so the program
// unwinds to its end instead of waiting for a key that will never come.

#include <deque>
#include <string>
#include <string_view>

#include "platform/console.hpp"

namespace zizuvu::testing {

class ScriptedConsole final : public ConsoleIo {
public:
    // The keys of each byte of `characters` ("\r" is Enter, "\x1b" Escape).
    ScriptedConsole& type(std::string_view characters);
    ScriptedConsole& type_line(std::string_view line);
    ScriptedConsole& press(KeyText key);
    // The keys added after this wait until the screen shows `text` somewhere.
    ScriptedConsole& when_screen_shows(std::string text);
    // Watch this screen for the conditions above.
    void watch(const Screen& screen) { screen_ = &screen; }

    bool used_up() const { return steps_.empty(); }
    int beeps() const { return beeps_; }
    int presents() const { return presents_; }

    void present(Screen& screen) override;
    void read_keys(KeyQueue& keys) override;
    void wait_for_input(OsHandle port) override;
    void beep() override { ++beeps_; }
    bool termination_requested() const override { return ended_; }

private:
    struct Step {
        KeyText key;
        std::string condition;  // screen text the key waits for, empty for none
    };
    bool next_is_due() const;

    std::deque<Step> steps_;
    std::string pending_condition_;
    const Screen* screen_ = nullptr;
    int beeps_ = 0;
    int presents_ = 0;
    bool ended_ = false;
};

// Whether any row of the screen contains the text.
bool screen_shows(const Screen& screen, std::string_view text);

}  // namespace zizuvu::testing
