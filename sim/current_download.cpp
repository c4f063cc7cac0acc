#include "sim/current_download.hpp"

#include "download/radio_protocol.hpp"
#include "sim/older_download.hpp"

namespace zizuvu::sim {
namespace {

// After answering its erase the older way, the radio reports the erase done as an
// older radio does, a moment later.
constexpr std::int64_t OLDER_ERASE_REPORT_DELAY_NS = 100 * NS_PER_MS;

std::string at_byte(const Radio& radio) { return "data byte " + std::to_string(radio.data_byte); }

// The handshake runs at 19200 baud. The challenge's low byte may be read only once the
// program has already moved on to the download speed (it moves 10 ms later).
void check_handshake_speed(Radio& radio, std::uint8_t byte, const LineState& line, bool last) {
    if (line.baud == HANDSHAKE_BAUD || (last && line.baud == radio.download_baud)) return;
    report_violation(radio, "handshake byte " + hex_byte(byte) + " at " + std::to_string(line.baud) + " baud, not " +
                                std::to_string(HANDSHAKE_BAUD));
}

bool take_handshake(Radio& radio, std::uint8_t byte, const LineState& line) {
    CurrentState& s = radio.current;
    switch (s.step) {
        case CurrentStep::speed_code:
            check_handshake_speed(radio, byte, line, false);
            if (byte != SPEED_CODE_HIGH && byte != SPEED_CODE_NORMAL) {
                report_violation(radio, "speed code " + hex_byte(byte) + " is neither 4 nor 12");
                enter_setup_menu(radio, "bad speed code");
                return true;
            }
            s.speed_code = byte;
            radio.download_baud = download_baud(byte);
            s.step = CurrentStep::challenge_high;
            return true;
        case CurrentStep::challenge_high:
            check_handshake_speed(radio, byte, line, false);
            s.challenge = static_cast<std::uint16_t>(byte << 8U);
            s.step = CurrentStep::challenge_low;
            return true;
        case CurrentStep::challenge_low:
            check_handshake_speed(radio, byte, line, true);
            s.challenge = static_cast<std::uint16_t>(s.challenge | byte);
            s.step = CurrentStep::moving;
            s.since_ns = line.now_ns;
            radio.step_deadline_ns = line.now_ns;
            radio.data_byte = 0;
            ++radio.downloads_started;
            note(radio, "challenge " + std::to_string(s.challenge) + ": moving to " + std::to_string(radio.download_baud) +
                            " baud");
            return true;
        case CurrentStep::moving:
        case CurrentStep::erasing:
            report_violation(radio, "byte " + hex_byte(byte) + " while the radio " +
                                        (s.step == CurrentStep::moving ? "moves to the download speed" : "erases"));
            return true;
        default: return false;
    }
}

void resynchronise(Radio& radio) {
    radio.current.step = CurrentStep::expect_lead;
    radio.current.ff_run = 0;
    ++radio.resyncs;
    note(radio, "resynchronised");
}

void start_erase(Radio& radio, const LineState& line) {
    CurrentState& s = radio.current;
    if (auto reply = take_fault(radio.settings.faults, FaultKind::erase_reply)) {
        s.erase_reply = static_cast<std::uint8_t>(reply->value);
        s.continue_as_older = true;
    }
    s.step = CurrentStep::erasing;
    radio.step_deadline_ns = line.now_ns + radio.settings.erase_ms * NS_PER_MS;
    note(radio, "erasing");
}

void answer_address(Radio& radio) {
    CurrentState& s = radio.current;
    FaultPlan& plan = radio.settings.faults;
    if (take_fault(plan, FaultKind::no_address_echo, radio.data_byte)) {
        s.step = CurrentStep::expect_lead;
        note(radio, "address of " + at_byte(radio) + " lost on the line");
        return;
    }
    if (auto noise = take_fault(plan, FaultKind::noise, radio.data_byte)) send_noise(radio, noise->value);
    s.step = CurrentStep::expect_scrambled;
    send_byte(radio, s.high);
    if (take_fault(plan, FaultKind::half_address_echo, radio.data_byte)) {
        note(radio, "low byte of the address echo of " + at_byte(radio) + " lost on the line");
        return;
    }
    std::uint8_t low = s.low;
    if (take_fault(plan, FaultKind::wrong_address_echo, radio.data_byte)) {
        low ^= 0x01U;
        note(radio, "address echo of " + at_byte(radio) + " changed on the line");
    }
    send_byte(radio, low);
}

void answer_frame(Radio& radio, std::uint8_t check_byte) {
    CurrentState& s = radio.current;
    FaultPlan& plan = radio.settings.faults;
    if (s.scrambled == 0xFF && check_byte == 0xFF) {
        // Never a frame (0xFF scrambled has the check byte 0x00): the start of a resync.
        s.step = CurrentStep::expect_lead;
        return;
    }
    if (take_fault(plan, FaultKind::no_acknowledgement, radio.data_byte)) {
        s.step = CurrentStep::expect_scrambled;
        note(radio, "data frame of " + at_byte(radio) + " lost on the line");
        return;
    }
    s.step = CurrentStep::expect_lead;
    const auto address = static_cast<std::uint16_t>(s.high * 256U + s.low);
    const UnscrambledFrame frame = unscramble_data_frame(address, s.scrambled, check_byte);
    if (!frame.check_ok) {
        report_violation(radio, "check byte " + hex_byte(check_byte) + " does not belong to the scrambled byte " +
                                    hex_byte(s.scrambled) + " (address " + std::to_string(address) + ")");
        send_byte(radio, static_cast<std::uint8_t>(frame.acknowledgement ^ 0xFFU));
        return;
    }
    program_byte(radio.memory, address, frame.data);
    std::uint8_t acknowledgement = frame.acknowledgement;
    if (take_fault(plan, FaultKind::wrong_acknowledgement, radio.data_byte)) {
        acknowledgement ^= 0x01U;
        note(radio, "acknowledgement of " + at_byte(radio) + " changed on the line");
    }
    send_byte(radio, acknowledgement);
    ++radio.data_byte;
    radio.top_programmed = address == 0xFFFF;
}

void take_lead(Radio& radio, std::uint8_t byte, const LineState& line) {
    if (byte == 0xFF) return;  // part of a resync
    if (byte != FRAME_LEAD) {
        report_violation(radio, "frame order: " + hex_byte(byte) + " where the lead 0x00 belongs");
        return;
    }
    if (line.answer_pending) report_violation(radio, "address sent before the acknowledgement");
    if (auto stall = take_fault(radio.settings.faults, FaultKind::stall, radio.data_byte)) {
        radio.deaf_until_ns = line.now_ns + stall->value * NS_PER_MS;
        note(radio, "stall of " + std::to_string(stall->value) + " ms at " + at_byte(radio));
        return;
    }
    radio.top_programmed = false;  // a record running on past 0xFFFF
    radio.current.step = CurrentStep::expect_high;
}

}  // namespace

void current_receive(Radio& radio, std::uint8_t byte, const LineState& line) {
    if (take_handshake(radio, byte, line)) return;
    CurrentState& s = radio.current;
    check_download_speed(radio, byte, line);
    s.ff_run = byte == 0xFF ? s.ff_run + 1 : 0;
    if (s.ff_run == static_cast<int>(RESYNC.size())) {
        resynchronise(radio);
        return;
    }
    switch (s.step) {
        case CurrentStep::erase_request:
            if (byte == ERASE_REQUEST) {
                start_erase(radio, line);
            } else if (byte != 0xFF) {
                report_violation(radio, hex_byte(byte) + " where the erase request 0xAA belongs");
            }
            break;
        case CurrentStep::expect_lead: take_lead(radio, byte, line); break;
        case CurrentStep::expect_high:
            s.high = byte;
            s.step = CurrentStep::expect_low;
            break;
        case CurrentStep::expect_low:
            s.low = byte;
            answer_address(radio);
            break;
        case CurrentStep::expect_scrambled:
            if (line.answer_pending) report_violation(radio, "data frame sent before the address echo");
            s.scrambled = byte;
            s.step = CurrentStep::expect_check;
            break;
        case CurrentStep::expect_check: answer_frame(radio, byte); break;
        default: break;
    }
}

void current_tick(Radio& radio, const LineState& line) {
    CurrentState& s = radio.current;
    if (s.step == CurrentStep::moving) {
        if (line.baud != radio.download_baud && line.now_ns < s.since_ns + SWITCH_WAIT_NS) {
            radio.step_deadline_ns = line.now_ns + NS_PER_MS;
            return;
        }
        if (line.baud != radio.download_baud) {
            report_violation(radio, "the line is still at " + std::to_string(line.baud) + " baud when the identification goes out at " +
                                        std::to_string(radio.download_baud));
        }
        radio.line_moved = true;
        s.step = CurrentStep::erase_request;
        if (take_fault(radio.settings.faults, FaultKind::silent_identification)) {
            note(radio, "identification not sent");
            return;
        }
        auto reply = identification_reply(s.challenge, radio.settings.serial_number);
        if (auto lead = take_fault(radio.settings.faults, FaultKind::identification_lead)) {
            reply[0] = static_cast<std::uint8_t>(lead->value);
        }
        send(radio, std::string_view(reinterpret_cast<const char*>(reply.data()), reply.size()));
        note(radio, "identification sent");
    } else if (s.step == CurrentStep::erasing) {
        erase_memory(radio.memory);
        if (s.continue_as_older) {
            // The erase is answered the older way, then reported as an older radio reports it.
            send_byte(radio, s.erase_reply);
            note(radio, "erase answered with " + hex_byte(s.erase_reply));
            s.step = CurrentStep::reporting_older_erase;
            radio.step_deadline_ns = line.now_ns + OLDER_ERASE_REPORT_DELAY_NS;
            return;
        }
        send_byte(radio, ERASE_DONE);
        s.step = CurrentStep::expect_lead;
        note(radio, "erase done: 0xAA sent");
    } else if (s.step == CurrentStep::reporting_older_erase) {
        continue_as_older_download(radio);
    }
}

}  // namespace zizuvu::sim
