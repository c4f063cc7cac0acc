#include "app/main_menu.hpp"

#include "app/bench_panel.hpp"
#include "app/select_port_and_baud.hpp"
#include "session/status_row.hpp"
#include "terminal/setup_terminal.hpp"

namespace zizuvu {
namespace {

struct MenuChoice {
    char key;
    void (*procedure)(Program&);
};

constexpr MenuChoice menu_choices[] = {
    {'0', [](Program& p) { download_older_radio(p.session, p.downloads); }},
    {'1', [](Program& p) { download_current_radio(p.session, p.downloads); }},
    {'2', [](Program& p) { run_setup_terminal(p.session, p.terminal); }},
    {'3', [](Program& p) { select_port_and_baud(p.session); }},
    {'4', [](Program& p) { program_retry(p.session, p.downloads); }},
};

constexpr std::string_view menu_lines[] = {
    "0        Upload X.71 and older",
    "1        UpLoad X.72 and newer",
    "2        Radio Setup",
    "3        Set Com Port for Terminal Emulator and Download",
    "4        Program Retry For X.72 and newer Firmware",
    "<esc>    End program",
};

}  // namespace

void keep_records(Program& program, const std::optional<std::string>& path) {
    program.records.open(path);
    program.downloads.log = &program.records;
    program.terminal.log = &program.records;
}

void start_up(Program& program, const PortSettings& starting) {
    Session& session = program.session;
    Screen& screen = session.console.screen;
    clear_error(session.errors);
    clear_screen(screen);
    set_screen_size(screen, SCREEN_COLUMNS, SCREEN_ROWS);
    session.port_settings = starting;
    clear_screen(screen);
}

void draw_main_menu(Program& program) {
    Session& session = program.session;
    Screen& screen = session.console.screen;
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
    clear_screen(screen);
    print_text(screen, "            ");
    print_text(screen, TITLE_TEXT);
    print_newline(screen);
    locate(screen, 5, 1);
    for (std::string_view line : menu_lines) {
        print_text(screen, line);
        print_newline(screen);
        print_newline(screen);
    }
    draw_settings_line(session);
    draw_bench_panel(program);
    locate(screen, 1, 1);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
}

void run_main_menu(Program& program) {
    Console& console = program.session.console;
    for (;;) {
        draw_main_menu(program);
        wait_for_key(console);
        const KeyText key = poll_key(console);
        if (key.is(KEY_ESCAPE)) return;
        const MenuChoice* choice = nullptr;
        for (const MenuChoice& candidate : menu_choices) {
            if (key.is(static_cast<std::uint8_t>(candidate.key))) choice = &candidate;
        }
        if (choice == nullptr) {
            beep(console);
            continue;
        }
        // The panel speaks of what the procedure just left did.
        program.session.last_error_shown = 0;
        choice->procedure(program);
    }
}

}  // namespace zizuvu
