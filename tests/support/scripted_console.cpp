#include "tests/support/scripted_console.hpp"

#include <poll.h>

namespace zizuvu::testing {
namespace {

// How long a wait on the port may last in a test before the script counts as stuck.
constexpr int PORT_WAIT_LIMIT_MS = 20000;

}  // namespace

bool screen_shows(const Screen& screen, std::string_view text) {
    for (int row = 1; row <= screen.height; ++row) {
        if (row_text(screen, row).find(text) != std::string::npos) return true;
    }
    return false;
}

ScriptedConsole& ScriptedConsole::type(std::string_view characters) {
    for (char c : characters) press(character_key(static_cast<std::uint8_t>(c)));
    return *this;
}

ScriptedConsole& ScriptedConsole::type_line(std::string_view line) {
    type(line);
    return press(character_key(KEY_ENTER));
}

ScriptedConsole& ScriptedConsole::press(KeyText key) {
    steps_.push_back(Step{key, pending_condition_});
    pending_condition_.clear();
    return *this;
}

ScriptedConsole& ScriptedConsole::when_screen_shows(std::string text) {
    pending_condition_ = std::move(text);
    return *this;
}

void ScriptedConsole::present(Screen&) { ++presents_; }

bool ScriptedConsole::next_is_due() const {
    if (steps_.empty()) return false;
    const std::string& condition = steps_.front().condition;
    return condition.empty() || (screen_ != nullptr && screen_shows(*screen_, condition));
}

void ScriptedConsole::read_keys(KeyQueue& keys) {
    // One key at a time, and only once the program has taken the last one: as an
    // operator types, not as a burst of type-ahead.
    if (!keys.empty() || !next_is_due()) return;
    keys.push(steps_.front().key);
    steps_.pop_front();
}

void ScriptedConsole::wait_for_input(OsHandle port) {
    if (ended_ || next_is_due()) return;
    if (port != NO_OS_HANDLE && !steps_.empty()) {
        pollfd watched{static_cast<int>(port), POLLIN, 0};
        if (poll(&watched, 1, PORT_WAIT_LIMIT_MS) > 0) return;
    }
    // Nothing left that could ever arrive: end the run.
    ended_ = true;
}

}  // namespace zizuvu::testing
