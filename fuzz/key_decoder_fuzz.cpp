// Arbitrary bytes from the terminal into the key decoder. Byte 0xFF stands for a quiet
// gap (the time moves past the decoder's deadline and it is asked to expire); every
// other byte arrives one millisecond after the one before.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/linux/key_decoder.hpp"

namespace {

void take_all(zizuvu::KeyQueue& keys) {
    while (!keys.empty()) keys.pop();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using zizuvu::KeyDecoder;
    KeyDecoder decoder;
    zizuvu::KeyQueue keys;
    KeyDecoder::Clock::time_point now{};
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF) {
            if (const auto due = decoder.deadline()) now = *due;
            decoder.expire(now, keys);
            // Once its deadline has passed, nothing may stay pending but a character's
            // UTF-8 bytes, which wait for the rest of the character without a deadline.
            if (decoder.deadline()) std::abort();
        } else {
            now += std::chrono::milliseconds(1);
            decoder.feed(data[i], now, keys);
        }
        take_all(keys);
    }
    return 0;
}
