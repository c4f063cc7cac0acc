#pragma once
// The terminal's background sender: a thread that drains the transmit queue to
// the port, so that the main thread never waits on the line.
//
//   WRITE_LIMIT             how long one write may wait on a line that takes nothing
//   TransmitWriter          the thread; destroying it stops and joins it, on every path
//   start_transmit_writer   start it on a queue and a port handle
//   stop_transmit_writer    stop it and wait until it has ended (unsent bytes are dropped)
//
// The writer wakes as soon as a key is queued and sleeps while nothing is; a write
// that sends nothing is tried again after 1 ms until the stop. It touches neither
// the console nor the error state: those belong to the main thread. A write under
// way when the stop comes ends within WRITE_LIMIT, so the stop waits at most that long.

#include <chrono>
#include <thread>

#include "platform/os_handle.hpp"
#include "terminal/transmit_queue.hpp"

namespace zizuvu {

inline constexpr std::chrono::milliseconds WRITE_LIMIT{100};

struct TransmitWriter {
    TransmitWriter() = default;
    ~TransmitWriter();
    TransmitWriter(const TransmitWriter&) = delete;
    TransmitWriter& operator=(const TransmitWriter&) = delete;

    std::thread thread;
    TransmitQueue* queue = nullptr;  // what the running thread drains
};

void start_transmit_writer(TransmitWriter& writer, TransmitQueue& queue, OsHandle port);
void stop_transmit_writer(TransmitWriter& writer);

}  // namespace zizuvu
