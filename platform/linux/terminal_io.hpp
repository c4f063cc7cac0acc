#pragma once
// The console on a Unix terminal: raw keyboard, the alternate screen, the renderer
// and the key decoder, with every change to the operator's terminal undone on the
// way out (normal end, termination signals, fatal signals, suspend).
//
//   UnixTerminal::take_over   raw mode and screen set-up on an input and output fd
//   UnixTerminal::give_back   the terminal as it was (also done by the destructor)

#include <termios.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/console_device.hpp"
#include "platform/linux/ansi_renderer.hpp"
#include "platform/linux/key_decoder.hpp"

namespace zizuvu {

class UnixTerminal final : public ConsoleIo {
public:
    static std::unique_ptr<UnixTerminal> take_over(int input_fd, int output_fd, std::string& why_not);
    ~UnixTerminal() override;
    UnixTerminal(const UnixTerminal&) = delete;
    UnixTerminal& operator=(const UnixTerminal&) = delete;

    void present(Screen& screen) override;
    void read_keys(KeyQueue& keys) override;
    void wait_for_input(OsHandle port) override;
    void wait_for_input_or_time(std::chrono::milliseconds limit) override;
    void beep() override;
    bool termination_requested() const override;

    void give_back();

private:
    UnixTerminal(int input_fd, int output_fd, const termios& original);

    void enter();          // raw mode, alternate screen, no auto-wrap
    void leave();          // everything enter() and the size request changed, undone
    void remember_undo(std::string_view undo);
    void handle_signals();
    void suspend();
    void read_size();
    void request_model_size(const Screen& screen);
    void write_out(std::string_view bytes);
    void wait(OsHandle port, std::optional<std::chrono::milliseconds> limit);

    int input_fd_;
    int output_fd_;
    termios original_mode_;
    bool entered_ = false;
    bool lost_ = false;             // the terminal went away (hang-up, read or write error)
    TerminalSize size_{};
    TerminalSize original_size_{};
    bool size_requested_ = false;
    std::string restore_sequence_;  // undo of every change, newest first
    std::string output_;
    AnsiRenderer renderer_;
    KeyDecoder decoder_;
};

}  // namespace zizuvu
