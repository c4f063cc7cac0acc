#include "sim/pacing.hpp"

#include <algorithm>

namespace zizuvu::sim {

std::int64_t byte_time_ns(int baud) { return baud > 0 ? 10'000'000'000LL / baud : 0; }

void pace_received(Pacer& pacer, std::int64_t now_ns, int baud) {
    if (!pacer.enabled) return;
    // The byte was put on the line when it could be, at the latest when it was read.
    pacer.inbound_done_ns = std::max(now_ns, pacer.inbound_done_ns) + byte_time_ns(baud);
}

void queue_answer(Pacer& pacer, std::string_view bytes, std::int64_t now_ns, int baud) {
    for (char c : bytes) {
        std::int64_t due = now_ns;
        if (pacer.enabled) {
            due = std::max({now_ns, pacer.inbound_done_ns, pacer.outbound_done_ns}) + byte_time_ns(baud);
            pacer.outbound_done_ns = due;
        }
        pacer.queue.push_back({static_cast<std::uint8_t>(c), due, baud});
    }
}

std::int64_t next_due(const Pacer& pacer) { return pacer.queue.empty() ? NO_DEADLINE : pacer.queue.front().due_ns; }

void take_due(Pacer& pacer, std::int64_t now_ns, std::deque<QueuedByte>& out) {
    while (!pacer.queue.empty() && pacer.queue.front().due_ns <= now_ns) {
        out.push_back(pacer.queue.front());
        pacer.queue.pop_front();
    }
}

bool answer_pending(const Pacer& pacer) { return !pacer.queue.empty(); }

}  // namespace zizuvu::sim
