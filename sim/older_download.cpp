#include "sim/older_download.hpp"

#include "download/radio_protocol.hpp"

namespace zizuvu::sim {
namespace {

std::string at_byte(const Radio& radio) { return "data byte " + std::to_string(radio.data_byte); }

void take_address_high(Radio& radio, std::uint8_t byte, const LineState& line) {
    OlderState& s = radio.older;
    FaultPlan& plan = radio.settings.faults;
    if (line.answer_pending) report_violation(radio, "address sent before the data echo");
    if (auto stall = take_fault(plan, FaultKind::stall, radio.data_byte)) {
        radio.deaf_until_ns = line.now_ns + stall->value * NS_PER_MS;
        note(radio, "stall of " + std::to_string(stall->value) + " ms at " + at_byte(radio));
        return;
    }
    if (take_fault(plan, FaultKind::no_address_echo, radio.data_byte)) {
        s.lose_next = 1;
        note(radio, "address of " + at_byte(radio) + " lost on the line");
        return;
    }
    if (auto noise = take_fault(plan, FaultKind::noise, radio.data_byte)) send_noise(radio, noise->value);
    s.high = byte;
    send_byte(radio, byte);
    s.step = OlderStep::expect_low;
}

void take_address_low(Radio& radio, std::uint8_t byte) {
    OlderState& s = radio.older;
    FaultPlan& plan = radio.settings.faults;
    if (take_fault(plan, FaultKind::half_address_echo, radio.data_byte)) {
        note(radio, "low address byte of " + at_byte(radio) + " lost on the line");
        return;
    }
    s.low = byte;
    std::uint8_t echo = byte;
    if (take_fault(plan, FaultKind::wrong_address_echo, radio.data_byte)) {
        echo ^= 0x01U;
        note(radio, "address echo of " + at_byte(radio) + " changed on the line");
    }
    send_byte(radio, echo);
    s.step = OlderStep::expect_data;
}

void take_data(Radio& radio, std::uint8_t byte, const LineState& line) {
    OlderState& s = radio.older;
    FaultPlan& plan = radio.settings.faults;
    if (line.answer_pending) report_violation(radio, "data byte sent before the address echo");
    if (take_fault(plan, FaultKind::no_data_echo, radio.data_byte)) {
        note(radio, at_byte(radio) + " lost on the line");
        return;
    }
    const auto address = static_cast<std::uint16_t>(s.high * 256U + s.low);
    program_byte(radio.memory, address, byte);
    std::uint8_t echo = byte;
    if (take_fault(plan, FaultKind::wrong_data_echo, radio.data_byte)) {
        echo ^= 0x01U;
        note(radio, "data echo of " + at_byte(radio) + " changed on the line");
    }
    send_byte(radio, echo);
    ++radio.data_byte;
    radio.top_programmed = address == 0xFFFF;
    s.step = OlderStep::expect_high;
}

}  // namespace

void older_receive(Radio& radio, std::uint8_t byte, const LineState& line) {
    OlderState& s = radio.older;
    if (s.step == OlderStep::erasing) {
        report_violation(radio, "byte " + hex_byte(byte) + " before the erase was reported");
        return;
    }
    check_download_speed(radio, byte, line);
    if (s.lose_next > 0) {
        --s.lose_next;
        note(radio, "lost on the line: " + hex_byte(byte));
        return;
    }
    switch (s.step) {
        case OlderStep::expect_high: take_address_high(radio, byte, line); break;
        case OlderStep::expect_low: take_address_low(radio, byte); break;
        case OlderStep::expect_data: take_data(radio, byte, line); break;
        case OlderStep::erasing: break;
    }
}

void older_tick(Radio& radio, const LineState& line) {
    OlderState& s = radio.older;
    if (s.step != OlderStep::erasing) return;
    // The program moves its line to the download speed right after the code; the
    // radio reports only once it has, or reports the program when it never does.
    if (line.baud != radio.download_baud) {
        if (line.now_ns < s.erase_done_ns + SWITCH_WAIT_NS) {
            radio.step_deadline_ns = line.now_ns + NS_PER_MS;
            return;
        }
        report_violation(radio, "the line is at " + std::to_string(line.baud) + " baud when the erase is reported at " +
                                    std::to_string(radio.download_baud));
    }
    erase_memory(radio.memory);
    send_byte(radio, ERASE_DONE_OLDER);
    s.step = OlderStep::expect_high;
    note(radio, "erase done: 0xFF sent");
}

void continue_as_older_download(Radio& radio) {
    radio.mode = RadioMode::older_download;
    radio.older = OlderState{};
    radio.older.step = OlderStep::expect_high;
    send_byte(radio, ERASE_DONE_OLDER);
    note(radio, "erase done: 0xFF sent; downloading as an X.71 radio");
}

}  // namespace zizuvu::sim
