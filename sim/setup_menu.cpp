#include "sim/setup_menu.hpp"

#include <array>
#include <string>

#include "download/radio_codes.hpp"
#include "download/radio_protocol.hpp"

namespace zizuvu::sim {
namespace {

constexpr std::uint8_t ESCAPE = 27;
constexpr std::uint8_t ENTER = 13;
constexpr std::size_t NAME_LIMIT = 120;

constexpr std::array<int, 9> BAUD_CHOICES = {115200, 76800, 57600, 38400, 19200, 9600, 4800, 2400, 1200};
constexpr std::array<const char*, 5> OPERATING_MODES = {"Point to point master", "Point to point slave",
                                                        "Point to multipoint master", "Point to multipoint slave",
                                                        "Repeater"};

const char* firmware_label(Generation generation) {
    switch (generation) {
        case Generation::older: return "X.44";
        case Generation::x71: return "X.71";
        default: return "X.72";
    }
}

std::string dotted(const std::string& label, const std::string& value) {
    std::string line = "  " + label + " ";
    while (line.size() < 34) line += '.';
    return line + " " + value + "\r\n";
}

void show_main(Radio& radio) {
    const MenuState& m = radio.menu;
    std::string text = "\r\nVarnello 900 MHz radio modem   firmware ";
    text += firmware_label(radio.settings.generation);
    text += "   serial " + std::to_string(radio.settings.serial_number) + "\r\n\r\nSETUP MENU\r\n";
    text += dotted("1  Data port baud rate", std::to_string(baud_of_choice(m.baud_choice)));
    text += dotted("2  Operating mode", OPERATING_MODES[static_cast<std::size_t>(m.operating_mode - 1)]);
    text += "  3  Radio settings\r\n  4  Service\r\n  5  Statistics\r\n";
    text += dotted("6  Radio name", m.radio_name.empty() ? "(none)" : m.radio_name);
    text += "  Esc  Show this menu again\r\n\r\nEnter choice: ";
    send(radio, text);
}

void show_baud(Radio& radio) {
    std::string text = "\r\nDATA PORT BAUD RATE (now " + std::to_string(baud_of_choice(radio.menu.baud_choice)) + ")\r\n";
    for (int row = 0; row < 3; ++row) {
        std::string line;
        for (int column = 0; column < 3; ++column) {
            const int digit = column * 3 + row + 1;
            std::string item = "  " + std::to_string(digit) + "  " + std::to_string(baud_of_choice(digit));
            item.resize(14, ' ');
            line += item;
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        text += line + "\r\n";
    }
    text += "  Esc  Back\r\n\r\nEnter choice: ";
    send(radio, text);
}

void show_operating_mode(Radio& radio) {
    std::string text = "\r\nOPERATING MODE\r\n";
    for (std::size_t i = 0; i < OPERATING_MODES.size(); ++i) {
        text += "  " + std::to_string(i + 1) + "  " + OPERATING_MODES[i] +
                (static_cast<int>(i + 1) == radio.menu.operating_mode ? "   (now)" : "") + "\r\n";
    }
    text += "  Esc  Back\r\n\r\nEnter choice: ";
    send(radio, text);
}

void show_radio_settings(Radio& radio) {
    std::string text = "\r\nRADIO SETTINGS\r\n";
    text += dotted("Hop pattern", "12");
    text += dotted("Frequency zones in use", "16 of 16");
    text += dotted("Transmit power", "1 W");
    text += dotted("RF data rate", "high");
    text += dotted("Retries", "3");
    text += dotted("Maximum packet size", "8");
    text += "  Esc  Back\r\n\r\nEnter choice: ";
    send(radio, text);
}

void show_statistics(Radio& radio, const LineState& line) {
    std::string text = "\r\nSTATISTICS\r\n";
    text += dotted("Line speed now", std::to_string(line.baud));
    text += dotted("Downloads started", std::to_string(radio.downloads_started));
    text += dotted("Downloads completed", std::to_string(radio.downloads_completed));
    text += dotted("Bytes programmed", std::to_string(programmed_count(radio.memory)));
    text += dotted("Resynchronisations", std::to_string(radio.resyncs));
    text += "  Esc  Back\r\n\r\nEnter choice: ";
    send(radio, text);
}

void go_to(Radio& radio, MenuPage page, const LineState& line) {
    radio.menu.page = page;
    switch (page) {
        case MenuPage::main: show_main(radio); break;
        case MenuPage::baud: show_baud(radio); break;
        case MenuPage::operating_mode: show_operating_mode(radio); break;
        case MenuPage::radio_settings: show_radio_settings(radio); break;
        case MenuPage::statistics: show_statistics(radio, line); break;
        case MenuPage::service_code:
            radio.menu.typed.clear();
            radio.menu.typed_speeds.clear();
            radio.menu.typed_since_ns = line.now_ns;
            radio.step_deadline_ns = line.now_ns + CODE_ENTRY_LIMIT_NS;
            send(radio, "\r\nSERVICE\r\nEnter service code: ");
            break;
        case MenuPage::radio_name:
            radio.menu.typed.clear();
            send(radio, "\r\nRadio name (up to 120 characters, Enter to keep, Esc to cancel): ");
            break;
    }
}

void invalid_choice(Radio& radio) { send(radio, "\r\nInvalid choice\r\nEnter choice: "); }

// The codes the radio's firmware answers, and what each one starts.
enum class CodeUse { x71, x71_before_545, mode_command };

struct KnownCode {
    DownloadCode code;
    CodeUse use;
};

std::vector<KnownCode> accepted_codes(Generation generation) {
    std::vector<KnownCode> codes;
    if (generation == Generation::any || generation == Generation::x71) codes.push_back({x71_code(), CodeUse::x71});
    if (generation == Generation::any || generation == Generation::older) {
        codes.push_back({x71_code_before_545(), CodeUse::x71_before_545});
    }
    if (generation == Generation::any || generation == Generation::x72) codes.push_back({mode_command(), CodeUse::mode_command});
    return codes;
}

void take_code(Radio& radio, const KnownCode& known, const LineState& line) {
    MenuState& m = radio.menu;
    const bool older = known.use != CodeUse::mode_command;
    const int download = older ? baud_of_choice(m.baud_choice) : 0;
    for (std::size_t i = 0; i < m.typed_speeds.size(); ++i) {
        const int speed = m.typed_speeds[i];
        const bool last = i + 1 == m.typed_speeds.size();
        // The program moves to the download speed 10 ms after the code's last character.
        if (speed == HANDSHAKE_BAUD || (last && older && speed == download)) continue;
        report_violation(radio, "code character " + hex_byte(static_cast<unsigned char>(m.typed[i])) + " at " +
                                    std::to_string(speed) + " baud, not " + std::to_string(HANDSHAKE_BAUD));
    }
    radio.step_deadline_ns = NO_DEADLINE;
    m.page = MenuPage::main;
    if (older) {
        enter_older_download(radio, line, download);
    } else {
        enter_current_download(radio, line);
    }
}

void refuse_code(Radio& radio, const char* why, const LineState& line) {
    radio.step_deadline_ns = NO_DEADLINE;
    send(radio, std::string("\r\n") + why + "\r\n");
    go_to(radio, MenuPage::main, line);
}

void take_service_byte(Radio& radio, std::uint8_t byte, const LineState& line) {
    MenuState& m = radio.menu;
    m.typed.push_back(static_cast<char>(byte));
    m.typed_speeds.push_back(line.baud);
    m.last_typed_ns = line.now_ns;
    const KnownCode* exact = nullptr;
    bool longer = false;
    const std::vector<KnownCode> codes = accepted_codes(radio.settings.generation);
    for (const KnownCode& known : codes) {
        const std::string_view text = known.code.text();
        if (text == m.typed) exact = &known;
        if (text.size() > m.typed.size() && text.substr(0, m.typed.size()) == m.typed) longer = true;
    }
    if (exact != nullptr && !longer) {
        take_code(radio, *exact, line);
    } else if (exact != nullptr) {
        radio.step_deadline_ns = line.now_ns + CODE_QUIET_NS;  // the longer code may be coming
    } else if (longer) {
        radio.step_deadline_ns = m.typed_since_ns + CODE_ENTRY_LIMIT_NS;
    } else {
        refuse_code(radio, "Code not accepted", line);
    }
}

void take_name_byte(Radio& radio, std::uint8_t byte, const LineState& line) {
    MenuState& m = radio.menu;
    if (byte == ENTER) {
        if (!m.typed.empty()) m.radio_name = m.typed;
        send(radio, "\r\n");
        go_to(radio, MenuPage::main, line);
    } else if (byte == ESCAPE) {
        send(radio, "\r\n");
        go_to(radio, MenuPage::main, line);
    } else if (byte == 8 || byte == 127) {
        if (!m.typed.empty()) {
            m.typed.pop_back();
            send(radio, "\b \b");
        }
    } else if (byte >= 32 && byte < 127 && m.typed.size() < NAME_LIMIT) {
        m.typed.push_back(static_cast<char>(byte));
        send_byte(radio, byte);
    }
}

void take_choice(Radio& radio, std::uint8_t byte, const LineState& line) {
    MenuState& m = radio.menu;
    const int digit = byte >= '0' && byte <= '9' ? byte - '0' : -1;
    switch (m.page) {
        case MenuPage::main:
            if (byte == ESCAPE || byte == ENTER) {
                go_to(radio, MenuPage::main, line);
            } else if (digit >= 1 && digit <= 6) {
                constexpr MenuPage pages[] = {MenuPage::baud, MenuPage::operating_mode, MenuPage::radio_settings,
                                              MenuPage::service_code, MenuPage::statistics, MenuPage::radio_name};
                go_to(radio, pages[digit - 1], line);
            } else {
                invalid_choice(radio);
            }
            break;
        case MenuPage::baud:
            if (byte == ESCAPE) {
                go_to(radio, MenuPage::main, line);
            } else if (digit >= 1 && digit <= 9) {
                m.baud_choice = digit;
                send(radio, "\r\nBaud rate set to " + std::to_string(baud_of_choice(digit)) + "\r\nEnter choice: ");
            } else {
                invalid_choice(radio);
            }
            break;
        case MenuPage::operating_mode:
            if (byte == ESCAPE) {
                go_to(radio, MenuPage::main, line);
            } else if (digit >= 1 && digit <= static_cast<int>(OPERATING_MODES.size())) {
                m.operating_mode = digit;
                send(radio, std::string("\r\nOperating mode set to ") + OPERATING_MODES[static_cast<std::size_t>(digit - 1)] +
                                "\r\nEnter choice: ");
            } else {
                invalid_choice(radio);
            }
            break;
        case MenuPage::radio_settings:
        case MenuPage::statistics:
            if (byte == ESCAPE) {
                go_to(radio, MenuPage::main, line);
            } else {
                send(radio, "\r\nNothing to change here; Esc to go back\r\nEnter choice: ");
            }
            break;
        case MenuPage::service_code: take_service_byte(radio, byte, line); break;
        case MenuPage::radio_name: take_name_byte(radio, byte, line); break;
    }
}

bool is_download_speed(int baud) {
    return baud == download_baud(SPEED_CODE_HIGH) || baud == download_baud(SPEED_CODE_NORMAL);
}

}  // namespace

int baud_of_choice(int digit) {
    if (digit < 1 || digit > static_cast<int>(BAUD_CHOICES.size())) return 0;
    return BAUD_CHOICES[static_cast<std::size_t>(digit - 1)];
}

void menu_receive(Radio& radio, std::uint8_t byte, const LineState& line) {
    MenuState& m = radio.menu;
    if (m.page == MenuPage::service_code) {
        take_service_byte(radio, byte, line);
        return;
    }
    // Four 0xFF at a download speed: a programming retry. A lone 0xFF (F1 from a
    // terminal) means nothing here.
    if (byte == 0xFF) {
        m.ff_run = m.ff_run > 0 && m.ff_baud == line.baud ? m.ff_run + 1 : 1;
        m.ff_baud = line.baud;
        if (m.ff_run == static_cast<int>(RESYNC.size()) && is_download_speed(line.baud) &&
            (radio.settings.generation == Generation::any || radio.settings.generation == Generation::x72)) {
            enter_retry(radio, line);
        }
        return;
    }
    m.ff_run = 0;
    if (m.scan_code_next) {  // a key without a character: nothing on this menu
        m.scan_code_next = false;
        return;
    }
    if (byte == 0) {
        m.scan_code_next = true;
        return;
    }
    take_choice(radio, byte, line);
}

void menu_tick(Radio& radio, const LineState& line) {
    const MenuState& m = radio.menu;
    if (m.page != MenuPage::service_code) return;
    for (const KnownCode& known : accepted_codes(radio.settings.generation)) {
        if (known.code.text() != m.typed) continue;
        if (line.now_ns - m.last_typed_ns >= CODE_QUIET_NS) {
            take_code(radio, known, line);
        } else {
            radio.step_deadline_ns = m.last_typed_ns + CODE_QUIET_NS;
        }
        return;
    }
    if (line.now_ns - m.typed_since_ns >= CODE_ENTRY_LIMIT_NS) {
        refuse_code(radio, "Code entry timed out", line);
    } else {
        radio.step_deadline_ns = m.typed_since_ns + CODE_ENTRY_LIMIT_NS;
    }
}

}  // namespace zizuvu::sim
