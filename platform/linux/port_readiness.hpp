#pragma once
// When an open port has enough input for a reader, as poll() sees it. A terminal
// in raw mode with VTIME 0 reports itself readable only once VMIN bytes are
// waiting, so a reader that needs N bytes can sleep until all N are there instead
// of waking for each one. Reads are non-blocking, so VMIN changes nothing else.
// Outside such a wait the minimum is back at one byte, so that anyone polling the
// port's handle directly wakes for every byte, as they expect.
//
//   MAX_INPUT_MINIMUM     the most bytes VMIN can ask for
//   set_input_minimum     make poll() wait for that many bytes (kept per handle)
//   RaisedInputMinimum    set_input_minimum for the span of one wait, then one byte again
//   input_waiting         received bytes not yet read (FIONREAD)
//   port_hung_up          the device went away (hang-up, error) - answered at once

#include <optional>

namespace zizuvu {

inline constexpr int MAX_INPUT_MINIMUM = 255;

bool set_input_minimum(int fd, int minimum);

class RaisedInputMinimum {
public:
    RaisedInputMinimum(int fd, int minimum);
    ~RaisedInputMinimum();
    RaisedInputMinimum(const RaisedInputMinimum&) = delete;
    RaisedInputMinimum& operator=(const RaisedInputMinimum&) = delete;
    bool ok() const { return ok_; }

private:
    int fd_;
    bool raised_;
    bool ok_;
};

std::optional<int> input_waiting(int fd);
bool port_hung_up(int fd);

}  // namespace zizuvu
