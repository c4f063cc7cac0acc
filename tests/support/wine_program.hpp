#pragma once
// The Windows executable run under wine in a tmux session of 80 x 51, read back cell
// by cell from tmux's copy of the screen. Wine runs in the cross build's prefix, whose
// COM1 is a symbolic link: it points at the given device for the run and nowhere
// afterwards (tools/wine-run).
//
//   WineProgram::start     zizuvu.exe (ZIZUVU_WINDOWS_EXE) with COM1 at a device, or nowhere
//   screen                 the screen as tmux shows it now (glyphs as code-page bytes, colours)
//   cursor_row/_column     where tmux has the cursor, 1-based
//   wait_for_text / wait_until   poll the screen until it shows what is asked, or the limit
//   send_text / send_key   literal text, or a tmux key name (Escape, Enter, F1)
//   wait_exit              the program's exit code once it has ended
//   windows_build_given    whether ZIZUVU_WINDOWS_EXE names the executable to test

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "tests/support/run_command.hpp"
#include "tests/support/terminal_screen.hpp"

namespace zizuvu::testing {

bool windows_build_given();

class WineProgram {
public:
    static std::unique_ptr<WineProgram> start(const std::string& com1_device = "/nonexistent/zizuvu-com1");
    ~WineProgram();
    WineProgram(const WineProgram&) = delete;
    WineProgram& operator=(const WineProgram&) = delete;

    TerminalScreen screen() const;
    int cursor_row() const;
    int cursor_column() const;
    bool wait_until(const std::function<bool(const TerminalScreen&)>& done, std::chrono::milliseconds limit);
    bool wait_for_text(std::string_view text, std::chrono::milliseconds limit = std::chrono::seconds(30));
    void send_text(std::string_view text);
    void send_key(const std::string& key_name);
    std::optional<int> wait_exit(std::chrono::milliseconds limit = std::chrono::seconds(30));

private:
    WineProgram(std::string socket, std::string com1_link) : socket_(std::move(socket)), com1_link_(std::move(com1_link)) {}
    CommandResult tmux(std::vector<std::string> arguments) const;

    TempDir dir_;
    std::string socket_;
    std::string com1_link_;
};

}  // namespace zizuvu::testing
