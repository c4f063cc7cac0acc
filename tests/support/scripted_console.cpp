#include "tests/support/scripted_console.hpp"

#include <poll.h>

#include <algorithm>
#include <thread>

namespace zizuvu::testing {
namespace {

// How long a wait on the port may last in a test before the script counts as stuck.
constexpr int PORT_WAIT_LIMIT_MS = 20000;

}  // namespace

bool screen_shows(const Screen& screen, std::string_view text) {
    // Checked on every key poll of a download: no allocation.
    const auto width = static_cast<std::size_t>(screen.width);
    if (text.empty() || text.size() > width) return text.empty();
    for (std::size_t row = 0; row < static_cast<std::size_t>(screen.height); ++row) {
        const Cell* cells = &screen.cells[row * width];
        for (std::size_t start = 0; start + text.size() <= width; ++start) {
            std::size_t i = 0;
            while (i < text.size() && cells[start + i].glyph == static_cast<std::uint8_t>(text[i])) ++i;
            if (i == text.size()) return true;
        }
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
    steps_.push_back(Step{key, pending_condition_, pending_quiet_});
    pending_condition_.clear();
    pending_quiet_ = std::chrono::milliseconds(0);
    return *this;
}

ScriptedConsole& ScriptedConsole::when_port_silent(std::chrono::milliseconds quiet) {
    pending_quiet_ = quiet;
    return *this;
}

ScriptedConsole& ScriptedConsole::when_screen_shows(std::string text) {
    pending_condition_ = std::move(text);
    return *this;
}

void ScriptedConsole::present(Screen&) { ++presents_; }

bool ScriptedConsole::next_is_due() const {
    if (steps_.empty()) return false;
    const Step& next = steps_.front();
    if (next.quiet.count() > 0 && !port_was_silent_) return false;
    return next.condition.empty() || (screen_ != nullptr && screen_shows(*screen_, next.condition));
}

void ScriptedConsole::read_keys(KeyQueue& keys) {
    // One key at a time, and only once the program has taken the last one: as an
    // operator types, not as a burst of type-ahead.
    if (!keys.empty() || !next_is_due()) return;
    keys.push(steps_.front().key);
    steps_.pop_front();
    port_was_silent_ = false;
    timed_waits_ = std::chrono::milliseconds(0);
    if (screen_ != nullptr) screens_at_keys_.push_back(*screen_);
}

void ScriptedConsole::wait_for_input(OsHandle port) {
    if (ended_ || next_is_due()) return;
    if (!steps_.empty() && steps_.front().quiet.count() > 0) {
        // Waiting for a key alone, or for a port that stays silent: the radio stalled.
        pollfd watched{static_cast<int>(port), POLLIN, 0};
        if (port == NO_OS_HANDLE || poll(&watched, 1, static_cast<int>(steps_.front().quiet.count())) == 0) {
            port_was_silent_ = true;
        }
        return;
    }
    if (port != NO_OS_HANDLE && !steps_.empty()) {
        pollfd watched{static_cast<int>(port), POLLIN, 0};
        if (poll(&watched, 1, PORT_WAIT_LIMIT_MS) > 0) return;
    }
    // Nothing left that could ever arrive: end the run.
    ended_ = true;
}

}  // namespace zizuvu::testing

namespace zizuvu::testing {

void ScriptedConsole::wait_for_input_or_time(std::chrono::milliseconds limit) {
    if (ended_ || next_is_due()) return;
    if (steps_.empty()) {
        ended_ = true;
        return;
    }
    const std::chrono::milliseconds quiet = steps_.front().quiet;
    std::this_thread::sleep_for(quiet.count() > 0 ? std::min(limit, quiet) : limit);
    // No port is watched: the operator who waits for a silent one gives up here too.
    if (quiet.count() > 0) port_was_silent_ = true;
    timed_waits_ += limit;
    // A screen text that has not come in all this time never will: end the run.
    if (timed_waits_ > std::chrono::milliseconds(PORT_WAIT_LIMIT_MS)) ended_ = true;
}

}  // namespace zizuvu::testing
