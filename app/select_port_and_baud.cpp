#include "app/select_port_and_baud.hpp"

#include "app/bench_panel.hpp"
#include "console/text_format.hpp"

namespace zizuvu {
namespace {

constexpr std::int32_t accepted_speeds[] = {9600, 19200, 38400, 57600, 115200, 4800};

std::int32_t ask_number(Console& console, std::string_view prompt) {
    print_text(console.screen, prompt);
    return round_to_int32(number_from_text(read_line(console)));
}

}  // namespace

void select_port_and_baud(Session& session) {
    Console& console = session.console;
    std::int32_t port = 0;
    for (;;) {
        clear_screen(console.screen);
        draw_port_list(session);
        port = ask_number(console, "Com Port Number ");
        if (port >= 0 && port <= 9) break;
        beep(console);
    }
    if (port != 0) session.port_settings.port_name = "Com" + std::string(1, static_cast<char>('0' + port));
    for (;;) {
        const std::int32_t baud = ask_number(console, "Setup Baud Rate ");
        if (baud == 0) return;
        for (std::int32_t speed : accepted_speeds) {
            if (baud == speed) {
                session.port_settings.baud_rate = baud;
                return;
            }
        }
        beep(console);
    }
}

}  // namespace zizuvu
