// A paste into the setup terminal, as a technician pastes a radio's configuration:
// the real executable in tmux, the text put in with tmux's own paste. Every byte
// reaches the far end in order while the line drains; on a held line, "q" still
// leads back to the menu.
#include <gtest/gtest.h>
#include <unistd.h>

#include <future>
#include <thread>

#include "tests/support/pty_pair.hpp"
#include "tests/support/run_command.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using testing::CommandResult;

constexpr const char* TMUX = "/usr/bin/tmux";

// The program in a detached tmux session of 80 x 51, on a server of its own.
class TmuxProgram {
public:
    explicit TmuxProgram(const std::string& com1) : socket_("zizuvu-paste-" + std::to_string(getpid())) {
        // Bounded, so that a test killed half-way leaves no program behind to take
        // the next test's pseudo-terminal when it comes back under the same name.
        std::string command = "exec timeout 150 env";
        for (int n = 2; n <= 9; ++n) command += " ZIZUVU_COM" + std::to_string(n) + "=/nonexistent/com" + std::to_string(n);
        command += " ZIZUVU_COM1=" + com1 + " " ZIZUVU_EXECUTABLE;
        started_ = tmux({"new-session", "-d", "-s", "z", "-x", "80", "-y", "51", command}).exit_code == 0;
    }
    ~TmuxProgram() { tmux({"kill-server"}); }

    bool started() const { return started_; }
    CommandResult tmux(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {TMUX, "-L", socket_});
        return testing::run_command(arguments);
    }
    bool shows(const std::string& text, std::chrono::milliseconds limit = 20s) const {
        const auto end = std::chrono::steady_clock::now() + limit;
        do {
            if (tmux({"capture-pane", "-p", "-t", "z"}).out.find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(20ms);
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }
    void type(const std::string& keys) const { tmux({"send-keys", "-t", "z", "-l", keys}); }
    // The text through tmux's paste buffer, line feeds and all, as a paste arrives.
    void paste(const std::string& text) const {
        testing::TempDir dir;
        testing::write_file(dir.file("paste"), text);
        tmux({"load-buffer", "-b", "p", dir.file("paste")});
        tmux({"paste-buffer", "-r", "-d", "-b", "p", "-t", "z"});
    }

private:
    std::string socket_;
    bool started_ = false;
};

// Printable text without "q" or "Q", which would leave the terminal.
std::string paste_text(std::size_t size) {
    const std::string alphabet = "abcdefghijklmnoprstuvwxyzABCDEFGHIJKLMNOPRSTUVWXYZ0123456789 .,:;=-+*/";
    std::string text;
    for (std::size_t i = 0; i < size; ++i) text.push_back(alphabet[(i * 7 + i / 97) % alphabet.size()]);
    return text;
}

TEST(TerminalPaste, AHundredKilobytesArriveCompleteAndInOrder) {
    testing::PtyPair line;
    ASSERT_TRUE(line.ok());
    TmuxProgram program(line.port_path());
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.shows("End program"));
    program.type("2");
    ASSERT_TRUE(program.shows("Varnello Radio Setup Screen"));
    const std::string text = paste_text(100 * 1024);
    auto received = std::async(std::launch::async, [&] { return line.receive(text.size(), 60s); });
    program.paste(text);
    const std::string got = received.get();
    EXPECT_EQ(got.size(), text.size());
    EXPECT_TRUE(got == text) << "the bytes arrived out of order or changed";
    program.type("q");
    EXPECT_TRUE(program.shows("End program"));
}

TEST(TerminalPaste, OnAHeldLineQStillLeavesOnceTheQueueHasBeenFullForASecond) {
    testing::PtyPair line;
    ASSERT_TRUE(line.ok());
    TmuxProgram program(line.port_path());
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.shows("End program"));
    program.type("2");
    ASSERT_TRUE(program.shows("Varnello Radio Setup Screen"));
    line.hold_port_output();
    program.paste(paste_text(3000));
    program.type("q");
    EXPECT_TRUE(program.shows("End program", 15s));
    // What had not gone out when "q" came is dropped, not sent once the line moves.
    line.release_port_output();
    EXPECT_EQ(line.receive(1, 500ms), "");
}

}  // namespace
}  // namespace zizuvu
