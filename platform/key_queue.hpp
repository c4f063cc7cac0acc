#pragma once
// The keys decoded from the keyboard and not yet taken by the program: a ring of
// fixed size, filled by the console device and emptied by the program.
//
//   KeyQueue   push (the device), pop and front (the program)

#include <array>
#include <cstddef>

#include "platform/key_text.hpp"

namespace zizuvu {

class KeyQueue {
public:
    bool empty() const { return count_ == 0; }
    std::size_t size() const { return count_; }
    std::size_t room() const { return CAPACITY - count_; }
    // A full queue keeps the keys it has: the newest one is lost, never an older one.
    bool push(KeyText key);
    KeyText pop();
    const KeyText& front() const { return keys_[head_]; }

private:
    static constexpr std::size_t CAPACITY = 256;
    std::array<KeyText, CAPACITY> keys_{};
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

}  // namespace zizuvu
