#pragma once
// The simulated radio's behaviour, with no I/O of its own: it is fed each byte it
// receives with the time and the line's speed, and woken at the deadline it asks for.
// What it answers collects in its outbox, what it did in its notes; the loop
// (radio_loop) carries both to the pseudo-terminal, the log and standard error.
//
//   LineState        the time, the line's speed, whether an answer is still on its way
//   Generation       which download modes the radio's firmware answers
//   RadioSettings    what the options chose
//   RadioMode        setup menu, X.71-and-older download, X.72-and-newer download
//   MenuState, OlderState, CurrentState   where each mode stands
//   Radio            the whole radio
//   radio_receive    one byte from the program
//   radio_tick       the radio's deadline has passed
//   radio_deadline   when to call radio_tick next
//   summary_text     bytes programmed, downloads, violations
// For the mode files:
//   send, note, report_violation, enter_setup_menu, enter_older_download, enter_current_download

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/faults.hpp"
#include "sim/pacing.hpp"
#include "sim/radio_memory.hpp"

namespace zizuvu::sim {

inline constexpr std::int64_t NS_PER_MS = 1'000'000;
// How long the radio waits for the program's line to reach the download speed before
// it answers anyway (and reports the program).
inline constexpr std::int64_t SWITCH_WAIT_NS = 2000 * NS_PER_MS;
// After the byte at 0xFFFF, this much quiet ends the download.
inline constexpr std::int64_t END_QUIET_NS = 500 * NS_PER_MS;
// How long a code may stand unfinished at the service prompt.
inline constexpr std::int64_t CODE_ENTRY_LIMIT_NS = 5000 * NS_PER_MS;
// A code that is also the start of a longer one is taken once this much time passes
// without the next character (the longer code comes 50 ms a character).
inline constexpr std::int64_t CODE_QUIET_NS = 150 * NS_PER_MS;

struct LineState {
    std::int64_t now_ns = 0;
    int baud = 0;
    bool answer_pending = false;  // earlier answer bytes not yet fully on the line
};

enum class Generation { any, older, x71, x72 };

struct RadioSettings {
    std::uint32_t serial_number = 123456;
    Generation generation = Generation::any;
    int erase_ms = 300;
    int resync_timeout_ms = 30000;
    FaultPlan faults;
};

enum class RadioMode { setup_menu, older_download, current_download };

enum class MenuPage { main, baud, operating_mode, radio_settings, service_code, statistics, radio_name };

struct MenuState {
    MenuPage page = MenuPage::main;
    int baud_choice = 4;  // 38400
    int operating_mode = 4;
    std::string radio_name;
    std::string typed;                 // service code or name being typed
    std::vector<int> typed_speeds;     // line speed of each code byte
    std::int64_t typed_since_ns = 0;
    std::int64_t last_typed_ns = 0;
    bool scan_code_next = false;       // a 0 from a terminal key: the scan code follows
    int ff_run = 0;
    int ff_baud = 0;
};

enum class OlderStep { erasing, expect_high, expect_low, expect_data };

struct OlderState {
    OlderStep step = OlderStep::erasing;
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    int lose_next = 0;  // bytes still to be lost on the line (a fault)
    std::int64_t erase_done_ns = 0;
    bool low_echo_garbled = false;
};

enum class CurrentStep {
    speed_code, challenge_high, challenge_low, moving, erase_request, erasing, reporting_older_erase,
    expect_lead, expect_high, expect_low, expect_scrambled, expect_check,
};

struct CurrentState {
    CurrentStep step = CurrentStep::speed_code;
    int speed_code = 0;
    std::uint16_t challenge = 0;
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    std::uint8_t scrambled = 0;
    int ff_run = 0;
    std::int64_t since_ns = 0;
    bool continue_as_older = false;  // erase-reply fault: the radio downloads as an X.71 radio
    std::uint8_t erase_reply = 0;    // what it answers the erase with then, in place of 0xAA
};

struct Radio {
    RadioSettings settings;
    RadioMemory memory;
    RadioMode mode = RadioMode::setup_menu;
    MenuState menu;
    OlderState older;
    CurrentState current;

    std::string outbox;
    std::vector<std::string> notes;
    long violation_count = 0;
    std::vector<std::string> violations;  // the first ones, for the summary

    long downloads_started = 0;
    long downloads_completed = 0;
    long resyncs = 0;

    int download_baud = 0;        // the speed the download in progress runs at
    bool line_moved = false;      // the radio's side of the line is at download_baud
    long data_byte = 0;           // data bytes programmed in this download: where faults strike
    bool top_programmed = false;  // the byte at 0xFFFF is in
    std::int64_t step_deadline_ns = NO_DEADLINE;
    std::int64_t last_byte_ns = 0;
    std::int64_t deaf_until_ns = 0;  // a stall
    std::uint32_t noise_state = 0x9E3779B9U;
};

void radio_receive(Radio& radio, std::uint8_t byte, const LineState& line);
void radio_tick(Radio& radio, const LineState& line);
std::int64_t radio_deadline(const Radio& radio);
std::string summary_text(const Radio& radio);

void send(Radio& radio, std::string_view bytes);
void send_byte(Radio& radio, std::uint8_t byte);
void note(Radio& radio, std::string text);
void report_violation(Radio& radio, std::string text);
void send_noise(Radio& radio, int count);
// A byte of the download at the wrong speed is reported; returns whether it was right.
bool check_download_speed(Radio& radio, std::uint8_t byte, const LineState& line);

void enter_setup_menu(Radio& radio, std::string_view why);
void enter_older_download(Radio& radio, const LineState& line, int baud);
void enter_current_download(Radio& radio, const LineState& line);
void enter_retry(Radio& radio, const LineState& line);

std::string hex_byte(unsigned value);

}  // namespace zizuvu::sim
