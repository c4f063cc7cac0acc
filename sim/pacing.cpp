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
    if (!pacer.enabled) {
        for (char c : bytes) pacer.queue.push_back({static_cast<std::uint8_t>(c), now_ns, baud});
        return;
    }
    // An answer goes out in groups, each written once its last byte is through: the
    // program waits for whole answers, and one wake-up per group keeps the timing close.
    std::int64_t done = std::max({now_ns, pacer.inbound_done_ns, pacer.outbound_done_ns});
    for (std::size_t start = 0; start < bytes.size(); start += PACED_GROUP) {
        const std::size_t count = std::min(PACED_GROUP, bytes.size() - start);
        done += static_cast<std::int64_t>(count) * byte_time_ns(baud);
        for (std::size_t i = 0; i < count; ++i) pacer.queue.push_back({static_cast<std::uint8_t>(bytes[start + i]), done, baud});
    }
    pacer.outbound_done_ns = done;
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
