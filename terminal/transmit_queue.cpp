#include "terminal/transmit_queue.hpp"

#include <algorithm>

namespace zizuvu {

void reset_queue(TransmitQueue& queue) {
    queue.write_index = 0;
    queue.read_index = 0;
    queue.count.store(0, std::memory_order_release);
}

bool queue_key(TransmitQueue& queue, KeyText key) {
    // The writer only lowers the count, so what is free now stays free until we fill it.
    const std::int32_t queued = queue.count.load(std::memory_order_acquire);
    if (queued < 0 || static_cast<std::size_t>(queued) + key.length > TRANSMIT_QUEUE_SIZE) return false;
    for (std::uint8_t i = 0; i < key.length; ++i) {
        queue.bytes[queue.write_index] = key.bytes[i];
        queue.write_index = (queue.write_index + 1) % TRANSMIT_QUEUE_SIZE;
    }
    const std::int32_t before = queue.count.fetch_add(key.length, std::memory_order_acq_rel);
    if (before == 0) queue.count.notify_one();
    return true;
}

void stop_queue(TransmitQueue& queue) {
    queue.count.store(QUEUE_STOPPED, std::memory_order_release);
    queue.count.notify_one();
}

PendingBytes next_to_send(TransmitQueue& queue) {
    const std::int32_t queued = queue.count.load(std::memory_order_acquire);
    if (queued < 0) return PendingBytes{nullptr, 0, true};
    const auto length =
        std::min(static_cast<std::uint32_t>(queued), static_cast<std::uint32_t>(TRANSMIT_QUEUE_SIZE) - queue.read_index);
    return PendingBytes{queue.bytes.data() + queue.read_index, length, false};
}

void mark_sent(TransmitQueue& queue, std::uint32_t sent) {
    queue.read_index = (queue.read_index + sent) % TRANSMIT_QUEUE_SIZE;
    queue.bytes_sent += sent;
    // Sequentially consistent with the flag: either the waiter sees the room made
    // here, or this sees the waiter and wakes it.
    queue.count.fetch_sub(static_cast<std::int32_t>(sent), std::memory_order_seq_cst);
    if (queue.room_wanted.load(std::memory_order_seq_cst)) {
        { const std::lock_guard lock(queue.room_lock); }
        queue.room_made.notify_one();
    }
}

void wait_for_queued(TransmitQueue& queue) { queue.count.wait(0, std::memory_order_acquire); }

bool wait_for_room(TransmitQueue& queue, std::size_t bytes, std::chrono::milliseconds limit) {
    const auto fits = [&queue, bytes] {
        const std::int32_t queued = queue.count.load(std::memory_order_seq_cst);
        return queued >= 0 && static_cast<std::size_t>(queued) + bytes <= TRANSMIT_QUEUE_SIZE;
    };
    std::unique_lock lock(queue.room_lock);
    queue.room_wanted.store(true, std::memory_order_seq_cst);
    const bool room = queue.room_made.wait_for(lock, limit, fits);
    queue.room_wanted.store(false, std::memory_order_relaxed);
    return room;
}

}  // namespace zizuvu
