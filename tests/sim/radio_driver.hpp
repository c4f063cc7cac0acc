#pragma once
// Drives the simulated radio's behaviour in-process, with a clock and a line speed the
// test sets: bytes in, answers out, deadlines run as time is moved on.

#include <string>

#include "sim/radio.hpp"

namespace zizuvu::testing {

struct RadioDriver {
    explicit RadioDriver(sim::RadioSettings settings = {}) { radio.settings = std::move(settings); }

    sim::Radio radio;
    std::int64_t now_ns = 1'000'000'000;
    int baud = 19200;

    sim::LineState line(bool pending = false) const { return {now_ns, baud, pending}; }

    // Each byte 1 ms after the one before, deadlines run in between; what the radio answered.
    std::string feed(std::string_view bytes, bool pending = false) {
        for (char c : bytes) {
            wait_ms(1);
            sim::radio_receive(radio, static_cast<std::uint8_t>(c), line(pending));
        }
        return take();
    }
    std::string feed_bytes(std::initializer_list<long> bytes) {
        std::string text;
        for (long b : bytes) text.push_back(static_cast<char>(b));
        return feed(text);
    }
    // Moves the clock on, running every deadline that passes; keeps what was answered.
    void wait_ms(std::int64_t ms) {
        const std::int64_t end = now_ns + ms * sim::NS_PER_MS;
        for (;;) {
            const std::int64_t deadline = sim::radio_deadline(radio);
            if (deadline > end) break;
            now_ns = std::max(now_ns, deadline);
            sim::radio_tick(radio, line());
        }
        now_ns = end;
    }
    std::string take() {
        std::string out = pending_out + radio.outbox;
        pending_out.clear();
        radio.outbox.clear();
        return out;
    }
    std::string after_ms(std::int64_t ms) {
        wait_ms(ms);
        return take();
    }
    bool noted(std::string_view text) const {
        for (const std::string& n : radio.notes) {
            if (n.find(text) != std::string::npos) return true;
        }
        return false;
    }

    std::string notes_text() const {
        std::string text;
        for (const std::string& n : radio.notes) text += n + "\n";
        return text;
    }

    std::string pending_out;
};

inline std::string bytes_of(std::initializer_list<long> values) {
    std::string text;
    for (long v : values) text.push_back(static_cast<char>(v));
    return text;
}

}  // namespace zizuvu::testing
