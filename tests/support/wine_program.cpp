#include "tests/support/wine_program.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace zizuvu::testing {
namespace {

using namespace std::chrono_literals;

constexpr const char* TMUX = "/usr/bin/tmux";

std::string environment(const char* name, const std::string& otherwise = "") {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : otherwise;
}

std::string wine_prefix() {
    return environment("ZIZUVU_WINEPREFIX", std::string(ZIZUVU_SOURCE_DIR) + "/build/windows/wineprefix");
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out.push_back(c);
        }
    }
    return out + "'";
}

void point_com1(const std::string& link, const std::string& device) {
    const std::string temporary = link + ".new";
    std::remove(temporary.c_str());
    if (symlink(device.c_str(), temporary.c_str()) == 0) std::rename(temporary.c_str(), link.c_str());
}

}  // namespace

bool windows_build_given() { return !environment("ZIZUVU_WINDOWS_EXE").empty(); }

std::unique_ptr<WineProgram> WineProgram::start(const std::string& com1_device) {
    const std::string socket = "zizuvu-wine-" + std::to_string(getpid());
    std::unique_ptr<WineProgram> program(new WineProgram(socket, wine_prefix() + "/zizuvu-com1"));
    point_com1(program->com1_link_, com1_device);
    // Com1 is wine's COM1, the link above; the test's own ZIZUVU_COM1 names a Linux path.
    const std::string command = "ZIZUVU_WINEPREFIX=" + quoted(wine_prefix()) + " ZIZUVU_COM1=" +
                                quoted("\\\\.\\COM1") + " " +
                                quoted(std::string(ZIZUVU_SOURCE_DIR) + "/tools/wine-run") + " " +
                                quoted(environment("ZIZUVU_WINDOWS_EXE")) + "; echo $? > " +
                                quoted(program->dir_.file("exit"));
    const CommandResult started =
        program->tmux({"new-session", "-d", "-s", "zizuvu", "-x", "80", "-y", "51", command});
    if (started.exit_code != 0) return nullptr;
    return program;
}

WineProgram::~WineProgram() {
    tmux({"kill-server"});
    point_com1(com1_link_, "/nonexistent/zizuvu-com1");
}

CommandResult WineProgram::tmux(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {TMUX, "-L", socket_});
    return run_command(arguments);
}

TerminalScreen WineProgram::screen() const {
    TerminalScreen screen(51, 80);
    const CommandResult captured = tmux({"capture-pane", "-p", "-e", "-N", "-t", "zizuvu"});
    std::istringstream lines(captured.out);
    std::string line;
    // -N keeps the blanks at the end of a row, with their colours. tmux carries
    // colours from one line to the next: feed the lines in order, each at its row.
    for (int row = 1; row <= 51 && std::getline(lines, line); ++row) {
        screen.feed("\x1b[" + std::to_string(row) + ";1H");
        screen.feed(line);
    }
    return screen;
}

int WineProgram::cursor_row() const {
    return std::atoi(tmux({"display-message", "-p", "-t", "zizuvu", "#{cursor_y}"}).out.c_str()) + 1;
}

int WineProgram::cursor_column() const {
    return std::atoi(tmux({"display-message", "-p", "-t", "zizuvu", "#{cursor_x}"}).out.c_str()) + 1;
}

bool WineProgram::wait_until(const std::function<bool(const TerminalScreen&)>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done(screen())) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(100ms);
    }
}

bool WineProgram::wait_for_text(std::string_view text, std::chrono::milliseconds limit) {
    return wait_until([text](const TerminalScreen& s) { return s.shows(text); }, limit);
}

void WineProgram::send_text(std::string_view text) { tmux({"send-keys", "-t", "zizuvu", "-l", std::string(text)}); }

void WineProgram::send_key(const std::string& key_name) { tmux({"send-keys", "-t", "zizuvu", key_name}); }

std::optional<int> WineProgram::wait_exit(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const std::string status = read_file(dir_.file("exit"));
        if (!status.empty()) return std::atoi(status.c_str());
        if (std::chrono::steady_clock::now() >= end) return std::nullopt;
        std::this_thread::sleep_for(100ms);
    }
}

}  // namespace zizuvu::testing
