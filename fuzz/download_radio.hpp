#pragma once
// The download fuzz target's world: a radio on a pseudo-terminal that answers every
// wait of the program with the next bytes of the fuzzer's input, and an operator at
// the keyboard who types what the input says.
//
// Input: the first byte picks the procedure and the opening answers
//   bits 0-1   0 the X.71-and-older download, 1 and 3 the X.72-and-newer, 2 the retry
//   bit 2      high speed: "Y", else "N"
//   bit 3      (X.71 and older) firmware 5.45 or greater: "Y", else "N"
// then, at every wait of the program, one control byte:
//   0x00-0x7E  the radio sends the next that many bytes (0: it stays silent)
//   0x7F       the line hangs up (an adapter pulled); a new line takes its place for
//              the runs after, the program keeps the dead one until it closes it
//   0x80-0xFF  the operator presses the key of the low seven bits (0x9B Escape, 0x8D Enter)
// Once the input is used up the radio is silent for good and the operator leaves
// (the console asks for termination), so every run ends.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

#include "console/console.hpp"

namespace zizuvu::fuzzing {

enum class Procedure { older, current, retry };

struct Opening {
    Procedure procedure;
    std::deque<KeyText> keys;
};
Opening opening_of(std::uint8_t first_byte);

// The radio's side of the pseudo-terminal (made once per fuzzer process) and the path
// of the program's side; ZIZUVU_COM1 points there, every other port nowhere.
int radio_side();

class FuzzedBench final : public ConsoleIo {
public:
    FuzzedBench(const std::uint8_t* data, std::size_t size, std::deque<KeyText> opening_keys)
        : data_(data), size_(size), opening_keys_(std::move(opening_keys)) {}

    void present(Screen&) override {}
    void read_keys(KeyQueue& keys) override;
    void wait_for_input(OsHandle port) override;
    // Time never has to pass on this bench: the wait is one more turn of the input.
    void wait_for_input_or_time(std::chrono::milliseconds) override { wait_for_input(NO_OS_HANDLE); }
    void beep() override {}
    bool termination_requested() const override { return ended_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t next_ = 0;
    std::deque<KeyText> opening_keys_;
    std::optional<KeyText> pressed_;
    bool line_hung_up_ = false;
    bool ended_ = false;
};

// What the program wrote to the radio is read and dropped, so its writes never block.
void drain_radio_side();
// Nothing left over from the run before: neither side holds a byte.
void flush_line();

}  // namespace zizuvu::fuzzing
