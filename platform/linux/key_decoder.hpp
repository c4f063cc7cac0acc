#pragma once
// Turns the bytes a Unix terminal sends for keys into the program's key texts:
// ordinary keys one byte, function, cursor and editing keys 0 and the PC scan code,
// Alt with a letter 0 and the letter's scan code. Understands the sequences of
// xterm-compatible terminals, the Linux console and tmux/screen. A lone Escape is
// the key 27 once the input has been quiet for ESCAPE_QUIET.
//
// A pure piece: fed bytes with the time they arrived, and asked to finish what is
// pending once its deadline has passed.
//
//   KeyDecoder::feed       one input byte
//   KeyDecoder::expire     complete a lone Escape (or a cut-off sequence) after the quiet gap
//   KeyDecoder::deadline   when expire has something to do

#include <chrono>
#include <cstdint>
#include <optional>

#include "platform/key_queue.hpp"

namespace zizuvu {

class KeyDecoder {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto ESCAPE_QUIET = std::chrono::milliseconds(50);

    void feed(std::uint8_t byte, Clock::time_point now, KeyQueue& keys);
    void expire(Clock::time_point now, KeyQueue& keys);
    std::optional<Clock::time_point> deadline() const;

private:
    enum class State { ground, escape, csi, ss3, linux_function, utf8 };
    static constexpr std::size_t SEQUENCE_CAP = 16;

    void ground(std::uint8_t byte, Clock::time_point now, KeyQueue& keys);
    void after_escape(std::uint8_t byte, Clock::time_point now, KeyQueue& keys);
    void in_csi(std::uint8_t byte, KeyQueue& keys);
    void finish_csi(std::uint8_t final_byte, KeyQueue& keys);
    void in_ss3(std::uint8_t byte, KeyQueue& keys);
    void in_utf8(std::uint8_t byte, Clock::time_point now, KeyQueue& keys);
    void start_escape(Clock::time_point now);
    void reset() { state_ = State::ground; length_ = 0; }

    State state_ = State::ground;
    Clock::time_point escape_time_{};
    std::uint8_t sequence_[SEQUENCE_CAP] = {};  // parameter bytes of a CSI sequence
    std::size_t length_ = 0;
    char32_t code_point_ = 0;                   // UTF-8 character being collected
    int continuation_left_ = 0;
};

}  // namespace zizuvu
