#include "terminal/transmit_writer.hpp"

#include <functional>
#include <system_error>

#include "platform/clock.hpp"
#include "platform/port_io.hpp"

namespace zizuvu {
namespace {

constexpr int RETRY_PAUSE_MS = 1;

void drain_queue(TransmitQueue& queue, OsHandle port) {
    for (;;) {
        const PendingBytes pending = next_to_send(queue);
        if (pending.stopped) return;
        if (pending.length == 0) {
            wait_for_queued(queue);
            continue;
        }
        std::uint32_t written = 0;
        // A failed write (the device gone) may still have sent part: that part counts.
        [[maybe_unused]] const bool wrote = write_port(port, pending.first, pending.length, written, WRITE_LIMIT);
        if (written > 0) {
            mark_sent(queue, written);
        } else {
            // A port that takes nothing (gone, or held up for the whole limit) is tried
            // again; only the stop ends this.
            pause_ms(RETRY_PAUSE_MS);
        }
    }
}

}  // namespace

TransmitWriter::~TransmitWriter() { stop_transmit_writer(*this); }

void start_transmit_writer(TransmitWriter& writer, TransmitQueue& queue, OsHandle port) {
    stop_transmit_writer(writer);
    writer.queue = &queue;
    try {
        writer.thread = std::thread(drain_queue, std::ref(queue), port);
    } catch (const std::system_error&) {
        // No thread to be had: the terminal still shows what the radio sends, and
        // its keys stay queued as on a port that takes nothing.
    }
}

void stop_transmit_writer(TransmitWriter& writer) {
    if (writer.queue != nullptr) stop_queue(*writer.queue);
    // Joined, not left to a fixed pause: the port is closed after this, and must
    // never be closed under a write that is still using it.
    if (writer.thread.joinable()) writer.thread.join();
    writer.queue = nullptr;
}

}  // namespace zizuvu
