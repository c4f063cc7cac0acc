#include "platform/key_queue.hpp"

namespace zizuvu {

bool KeyQueue::push(KeyText key) {
    if (count_ == CAPACITY) return false;
    keys_[(head_ + count_) % CAPACITY] = key;
    ++count_;
    return true;
}

KeyText KeyQueue::pop() {
    if (count_ == 0) return {};
    const KeyText key = keys_[head_];
    head_ = (head_ + 1) % CAPACITY;
    --count_;
    return key;
}

}  // namespace zizuvu
