#pragma once
// A console device for tests: keys come from a script, handed out one at a time as
// the program looks for them; a key can be held back until the screen shows a text,
// or until the program has waited on a silent port for a while (the radio stalled).
// When the script is used up the device asks for termination, so the program
// unwinds to its end instead of waiting for a key that will never come.

#include <chrono>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.hpp"

namespace zizuvu::testing {

class ScriptedConsole final : public ConsoleIo {
public:
    // The keys of each byte of `characters` ("\r" is Enter, "\x1b" Escape).
    ScriptedConsole& type(std::string_view characters);
    ScriptedConsole& type_line(std::string_view line);
    ScriptedConsole& press(KeyText key);
    // The next key added waits until the screen shows `text` somewhere.
    ScriptedConsole& when_screen_shows(std::string text);
    // The next key added waits until the program has waited `quiet` on its port
    // without an answer, or waits for a key alone: as an operator who gives up on
    // a stalled radio.
    ScriptedConsole& when_port_silent(std::chrono::milliseconds quiet = std::chrono::seconds(1));
    // Watch this screen for the conditions above.
    void watch(const Screen& screen) { screen_ = &screen; }

    bool used_up() const { return steps_.empty(); }
    // The screen as it was when the n-th key (from 0) was handed out.
    const Screen& screen_at_key(std::size_t n) const { return screens_at_keys_.at(n); }
    std::size_t keys_handed_out() const { return screens_at_keys_.size(); }
    int beeps() const { return beeps_; }
    int presents() const { return presents_; }

    void present(Screen& screen) override;
    void read_keys(KeyQueue& keys) override;
    void wait_for_input(OsHandle port) override;
    // Time passes (the program then does what it waited to do) unless a key is due.
    void wait_for_input_or_time(std::chrono::milliseconds limit) override;
    void beep() override { ++beeps_; }
    bool termination_requested() const override { return ended_; }

private:
    struct Step {
        KeyText key;
        std::string condition;  // screen text the key waits for, empty for none
        std::chrono::milliseconds quiet{0};  // silence on the port the key waits for, 0 for none
    };
    bool next_is_due() const;

    std::deque<Step> steps_;
    std::string pending_condition_;
    std::chrono::milliseconds pending_quiet_{0};
    bool port_was_silent_ = false;
    std::chrono::milliseconds timed_waits_{0};  // since the last key handed out
    std::vector<Screen> screens_at_keys_;
    const Screen* screen_ = nullptr;
    int beeps_ = 0;
    int presents_ = 0;
    bool ended_ = false;
};

// Whether any row of the screen contains the text.
bool screen_shows(const Screen& screen, std::string_view text);

}  // namespace zizuvu::testing
