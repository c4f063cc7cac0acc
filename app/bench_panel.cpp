#include "app/bench_panel.hpp"

#include <string>

#include "app/port_facts.hpp"
#include "platform/port_number.hpp"
#include "session/status_row.hpp"

namespace zizuvu {
namespace {

int colour_of(PortLook look) {
    switch (look) {
        case PortLook::good: return COLOR_BRIGHT_GREEN;
        case PortLook::fault: return COLOR_BRIGHT_RED;
        case PortLook::unknown: break;
    }
    return COLOR_WHITE;
}

void panel_line(Screen& screen, int row, int colour, std::string text) {
    text.resize(SCREEN_COLUMNS, ' ');
    locate(screen, row, 1);
    set_colors(screen, colour, COLOR_BLACK, 0);
    print_text(screen, text);
}

// Puts the cursor and the colours back as they were when it was made.
class KeptCursor {
public:
    explicit KeptCursor(Screen& screen)
        : screen_(screen), row_(cursor_row(screen)), column_(cursor_column(screen)), foreground_(screen.foreground),
          background_(screen.background) {}
    ~KeptCursor() {
        locate(screen_, row_, column_);
        set_colors(screen_, foreground_, background_, 0);
    }
    KeptCursor(const KeptCursor&) = delete;
    KeptCursor& operator=(const KeptCursor&) = delete;

private:
    Screen& screen_;
    int row_;
    int column_;
    int foreground_;
    int background_;
};

}  // namespace

void draw_bench_panel(Program& program) {
    Session& session = program.session;
    Screen& screen = session.console.screen;
    const KeptCursor kept(screen);

    // Room for "NNN: " before the words of an error.
    const PortFacts port =
        port_facts({session.port_settings.port_name}, session.last_error_shown, SCREEN_COLUMNS - 6).front();
    std::string port_line = "Port    " + port.name + " = " + port.device;
    if (!port.state.empty()) port_line += "  " + port.state;
    panel_line(screen, PANEL_TOP_ROW, COLOR_WHITE, "Image   " + image_identity(program.downloads.image));
    panel_line(screen, PANEL_TOP_ROW + 1, colour_of(port.look), port_line);
    // The last error the status row showed, in words, or else what is wrong with the port.
    std::string advice = port.advice;
    if (session.last_error_shown != 0) advice = std::to_string(session.last_error_shown) + ": " + advice;
    panel_line(screen, PANEL_TOP_ROW + 2, COLOR_BRIGHT_RED, advice);
    const RecordsStatus records = program.records.status();
    panel_line(screen, PANEL_TOP_ROW + 3, records.fault ? COLOR_BRIGHT_RED : COLOR_WHITE, "Records " + records.text);
    panel_line(screen, PANEL_TOP_ROW + 4, COLOR_BRIGHT_RED, program.terminal.notice);
}

void draw_port_list(Session& session) {
    Screen& screen = session.console.screen;
    const KeptCursor kept(screen);
    std::vector<std::string> names;
    for (int n = 1; n <= PORT_NAMES; ++n) names.push_back("Com" + std::to_string(n));
    panel_line(screen, PORT_LIST_TOP_ROW, COLOR_WHITE, "Ports (0 keeps " + session.port_settings.port_name + ")");
    int row = PORT_LIST_TOP_ROW + 1;
    for (const PortFacts& port : port_facts(names)) {
        std::string line = port.name + "  " + port.device;
        if (!port.state.empty()) line += "  " + port.state;
        panel_line(screen, row++, colour_of(port.look), line);
    }
}

}  // namespace zizuvu
