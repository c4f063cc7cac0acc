#pragma once
// Wire time: with pacing on, every byte takes the time of its ten bits on the line at
// the line's speed, in each direction, and the radio answers only once the bytes it
// answers have fully arrived. Times are nanoseconds on the monotonic clock.
//
//   NO_DEADLINE
//   byte_time_ns     ten bits at a speed
//   Pacer            when each direction of the line is free, and the bytes waiting to go out
//   pace_received    a byte the radio read
//   queue_answer     bytes the radio answers, written in groups of up to 16 once the group is through
//   next_due, take_due   for the loop: when to wake, and what to write now

#include <cstdint>
#include <deque>
#include <limits>
#include <string>
#include <string_view>

namespace zizuvu::sim {

inline constexpr std::int64_t NO_DEADLINE = std::numeric_limits<std::int64_t>::max();
inline constexpr std::size_t PACED_GROUP = 16;

std::int64_t byte_time_ns(int baud);

struct QueuedByte {
    std::uint8_t byte;
    std::int64_t due_ns;
    int baud;
};

struct Pacer {
    bool enabled = false;
    std::int64_t inbound_done_ns = 0;
    std::int64_t outbound_done_ns = 0;
    std::deque<QueuedByte> queue;
};

void pace_received(Pacer& pacer, std::int64_t now_ns, int baud);
void queue_answer(Pacer& pacer, std::string_view bytes, std::int64_t now_ns, int baud);
std::int64_t next_due(const Pacer& pacer);
// Appends the bytes due by now to out (with their speed for the log) and removes them.
void take_due(Pacer& pacer, std::int64_t now_ns, std::deque<QueuedByte>& out);
bool answer_pending(const Pacer& pacer);

}  // namespace zizuvu::sim
