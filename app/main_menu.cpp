#include "app/main_menu.hpp"

#include "app/procedures.hpp"

namespace zizuvu {
namespace {

struct MenuChoice {
    char key;
    void (*procedure)(Program&);
};

constexpr MenuChoice menu_choices[] = {
    {'0', download_older_radio}, {'1', download_current_radio}, {'2', run_setup_terminal},
    {'3', select_port_and_baud}, {'4', program_retry},
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

void start_up(Program& program) {
    Screen& screen = program.console.screen;
    clear_error(program.errors);
    clear_screen(screen);
    set_screen_size(screen, SCREEN_COLUMNS, SCREEN_ROWS);
    program.port_settings = PortSettings{};
    clear_screen(screen);
}

void draw_settings_line(Program& program) {
    Screen& screen = program.console.screen;
    locate(screen, STATUS_ROW, 1);
    set_colors(screen, COLOR_YELLOW, COLOR_BLUE, SCREEN_COLUMNS);
    print_text(screen, "  ");
    print_text(screen, program.port_settings.port_name);
    next_print_zone(screen);
    print_text(screen, "Baudrate = ");
    print_number(screen, program.port_settings.baud_rate);
}

void draw_main_menu(Program& program) {
    Screen& screen = program.console.screen;
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
    draw_settings_line(program);
    locate(screen, 1, 1);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
}

void run_main_menu(Program& program) {
    Console& console = program.console;
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
        choice->procedure(program);
    }
}

}  // namespace zizuvu
