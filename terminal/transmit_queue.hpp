#pragma once
// The setup terminal's transmit queue: a ring over the run's 1024 bytes of storage,
// filled by the main thread a key at a time and drained by the writer thread.
//
//   TransmitStorage   the ring's 1024 bytes
//   TransmitQueue     the ring and its shared count
//   QUEUE_STOPPED     the count that tells the writer to end
//   reset_queue       empty, before a writer starts on it
//   queue_key         main thread: a key's bytes, all of them or, when they do not fit, none
//   stop_queue        main thread: the writer ends at its next look; unsent bytes are dropped
//   next_to_send      writer: what to send next, never past the end of the storage
//   mark_sent         writer: that many bytes went out (counted in bytes_sent)
//   wait_for_queued   writer: sleep until a key is queued or the stop is given
//   wait_for_room     main thread: sleep until `bytes` more fit, the stop, or the limit
//
// Ownership: only the main thread moves write_index, only the writer moves
// read_index, and the count is the one thing both change, always with one atomic
// read-modify-write. A byte is stored before the count grows for it, and the
// growth publishes it (release there, acquire where the writer reads the count);
// the writer's decrease publishes in turn that it has finished with the bytes it
// sent, before the main thread stores new ones in their place. A negative count
// is the stop: the writer only ever subtracts, so a stop is never undone.

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/key_text.hpp"

namespace zizuvu {

inline constexpr std::size_t TRANSMIT_QUEUE_SIZE = 1024;
inline constexpr std::int32_t QUEUE_STOPPED = -2;

// The ring's storage: the run's, kept from one terminal to the next.
using TransmitStorage = std::array<std::uint8_t, TRANSMIT_QUEUE_SIZE>;

struct TransmitQueue {
    explicit TransmitQueue(TransmitStorage& storage) : bytes(storage) {}

    TransmitStorage& bytes;
    std::uint32_t write_index = 0;  // main thread only
    std::uint32_t read_index = 0;   // writer only
    std::atomic<std::int32_t> count{0};
    std::uint64_t bytes_sent = 0;   // writer only, read once it has stopped
    // A main thread waiting for room is woken by the writer's next send.
    std::atomic<bool> room_wanted{false};
    std::mutex room_lock;
    std::condition_variable room_made;
};

struct PendingBytes {
    const std::uint8_t* first = nullptr;
    std::uint32_t length = 0;
    bool stopped = false;
};

void reset_queue(TransmitQueue& queue);
// False, with nothing queued, when the key does not fit: the bytes already waiting
// are the operator's earlier keys and are never overwritten.
bool queue_key(TransmitQueue& queue, KeyText key);
void stop_queue(TransmitQueue& queue);

PendingBytes next_to_send(TransmitQueue& queue);
void mark_sent(TransmitQueue& queue, std::uint32_t sent);
void wait_for_queued(TransmitQueue& queue);
// True once `bytes` fit; false when the limit passed first or the queue was stopped.
bool wait_for_room(TransmitQueue& queue, std::size_t bytes, std::chrono::milliseconds limit);

}  // namespace zizuvu
