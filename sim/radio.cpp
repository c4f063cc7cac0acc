#include "sim/radio.hpp"

#include <algorithm>
#include <cstdio>

#include "download/radio_protocol.hpp"
#include "sim/current_download.hpp"
#include "sim/older_download.hpp"
#include "sim/setup_menu.hpp"

namespace zizuvu::sim {
namespace {

constexpr std::size_t VIOLATIONS_KEPT = 20;

// A download the program has left behind: the line comes back at another speed after
// the top of memory was programmed, or at 19200 baud, where every download of the
// program begins and which no download runs at. (A program that never moved to the
// download speed is reported where it should have moved.)
std::string_view download_left_behind(const Radio& radio, const LineState& line) {
    if (!radio.line_moved || line.baud == radio.download_baud) return {};
    if (radio.top_programmed) return "download complete; the program has moved on";
    if (line.baud == HANDSHAKE_BAUD) return "the program started afresh at 19200 baud";
    return {};
}

}  // namespace

std::string hex_byte(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFU);
    return text;
}

void send(Radio& radio, std::string_view bytes) { radio.outbox.append(bytes); }

void send_byte(Radio& radio, std::uint8_t byte) { radio.outbox.push_back(static_cast<char>(byte)); }

void note(Radio& radio, std::string text) { radio.notes.push_back(std::move(text)); }

void report_violation(Radio& radio, std::string text) {
    ++radio.violation_count;
    note(radio, "violation: " + text);
    if (radio.violations.size() < VIOLATIONS_KEPT) radio.violations.push_back(std::move(text));
}

void send_noise(Radio& radio, int count) {
    for (int i = 0; i < count; ++i) {
        std::uint32_t& s = radio.noise_state;
        s ^= s << 13U;
        s ^= s >> 17U;
        s ^= s << 5U;
        send_byte(radio, static_cast<std::uint8_t>(s >> 24U));
    }
    note(radio, std::to_string(count) + " byte(s) of line noise");
}

bool check_download_speed(Radio& radio, std::uint8_t byte, const LineState& line) {
    if (line.baud == radio.download_baud) return true;
    report_violation(radio, "byte " + hex_byte(byte) + " at " + std::to_string(line.baud) + " baud: the download runs at " +
                                std::to_string(radio.download_baud));
    return false;
}

void enter_setup_menu(Radio& radio, std::string_view why) {
    if (radio.top_programmed) ++radio.downloads_completed;
    MenuState kept = radio.menu;
    radio.menu = MenuState{};
    radio.menu.baud_choice = kept.baud_choice;
    radio.menu.operating_mode = kept.operating_mode;
    radio.menu.radio_name = kept.radio_name;
    radio.mode = RadioMode::setup_menu;
    radio.line_moved = false;
    radio.top_programmed = false;
    radio.download_baud = 0;
    radio.step_deadline_ns = NO_DEADLINE;
    note(radio, "setup menu: " + std::string(why));
}

void enter_older_download(Radio& radio, const LineState& line, int baud) {
    radio.mode = RadioMode::older_download;
    radio.older = OlderState{};
    radio.download_baud = baud;
    radio.line_moved = true;
    radio.data_byte = 0;
    radio.top_programmed = false;
    radio.older.erase_done_ns = line.now_ns + radio.settings.erase_ms * NS_PER_MS;
    radio.step_deadline_ns = radio.older.erase_done_ns;
    ++radio.downloads_started;
    note(radio, "X.71 download mode at " + std::to_string(baud) + " baud: erasing");
}

void enter_current_download(Radio& radio, const LineState& /*line*/) {
    radio.mode = RadioMode::current_download;
    radio.current = CurrentState{};
    radio.line_moved = false;
    radio.top_programmed = false;
    radio.step_deadline_ns = NO_DEADLINE;
    note(radio, "X.72 download mode: waiting for the speed code and the challenge");
}

void enter_retry(Radio& radio, const LineState& line) {
    radio.mode = RadioMode::current_download;
    radio.current = CurrentState{};
    radio.current.step = CurrentStep::expect_lead;
    radio.download_baud = line.baud;
    radio.line_moved = true;
    radio.data_byte = 0;
    radio.top_programmed = false;
    radio.step_deadline_ns = NO_DEADLINE;
    ++radio.downloads_started;
    ++radio.resyncs;
    note(radio, "resynchronised from the setup menu: programming at " + std::to_string(line.baud) + " baud");
}

void radio_receive(Radio& radio, std::uint8_t byte, const LineState& line) {
    if (line.now_ns < radio.deaf_until_ns) {
        note(radio, "lost in the stall: " + hex_byte(byte));
        return;
    }
    if (radio.mode != RadioMode::setup_menu) {
        const std::string_view left = download_left_behind(radio, line);
        if (!left.empty()) enter_setup_menu(radio, left);
    }
    radio.last_byte_ns = line.now_ns;
    switch (radio.mode) {
        case RadioMode::setup_menu: menu_receive(radio, byte, line); break;
        case RadioMode::older_download: older_receive(radio, byte, line); break;
        case RadioMode::current_download: current_receive(radio, byte, line); break;
    }
}

void radio_tick(Radio& radio, const LineState& line) {
    if (radio.mode != RadioMode::setup_menu && radio.step_deadline_ns == NO_DEADLINE) {
        const std::int64_t quiet = line.now_ns - radio.last_byte_ns;
        if (radio.top_programmed && quiet >= END_QUIET_NS) {
            enter_setup_menu(radio, "download complete");
            return;
        }
        if (quiet >= radio.settings.resync_timeout_ms * NS_PER_MS) {
            enter_setup_menu(radio, "no resynchronisation for " + std::to_string(radio.settings.resync_timeout_ms) + " ms");
            return;
        }
    }
    if (line.now_ns < radio.step_deadline_ns) return;
    radio.step_deadline_ns = NO_DEADLINE;
    switch (radio.mode) {
        case RadioMode::setup_menu: menu_tick(radio, line); break;
        case RadioMode::older_download: older_tick(radio, line); break;
        case RadioMode::current_download: current_tick(radio, line); break;
    }
}

std::int64_t radio_deadline(const Radio& radio) {
    if (radio.mode == RadioMode::setup_menu || radio.step_deadline_ns != NO_DEADLINE) return radio.step_deadline_ns;
    const std::int64_t quiet =
        radio.top_programmed ? END_QUIET_NS : static_cast<std::int64_t>(radio.settings.resync_timeout_ms) * NS_PER_MS;
    return radio.last_byte_ns + quiet;
}

std::string summary_text(const Radio& radio) {
    // A radio stopped in the quiet after the byte at 0xFFFF has had its download whole,
    // though it has not gone back to its menu to count it yet.
    const long completed = radio.downloads_completed + (radio.top_programmed ? 1 : 0);
    std::string text = "zizuvu-radio: " + std::to_string(programmed_count(radio.memory)) + " bytes programmed";
    if (radio.memory.programmed.any()) {
        std::size_t low = 0;
        while (!radio.memory.programmed[low]) ++low;
        std::size_t high = 65535;
        while (!radio.memory.programmed[high]) --high;
        char range[40];
        std::snprintf(range, sizeof range, " (0x%04zX to 0x%04zX)", low, high);
        text += range;
    }
    text += ", " + std::to_string(radio.memory.writes) + " writes; " + std::to_string(radio.downloads_started) +
            " downloads started, " + std::to_string(completed) + " completed; " +
            std::to_string(radio.resyncs) + " resynchronisations; " + std::to_string(radio.violation_count) +
            " violations\n";
    for (const std::string& v : radio.violations) text += "  violation: " + v + "\n";
    if (radio.violation_count > static_cast<long>(radio.violations.size())) text += "  ...\n";
    return text;
}

}  // namespace zizuvu::sim
