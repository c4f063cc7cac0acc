#include "console/screen.hpp"
#include "platform/linux/ansi_renderer.hpp"

#include <gtest/gtest.h>

#include "tests/support/terminal_screen.hpp"

namespace zizuvu {
namespace {

using testing::TerminalScreen;

struct Rig {
    Screen model{80, 51};
    AnsiRenderer renderer{TerminalSize{51, 80}};
    TerminalScreen terminal{51, 80};

    std::string render() {
        std::string out;
        renderer.render(model, out);
        terminal.feed(out);
        return out;
    }
};

TEST(AnsiRenderer, ShowsCellsWithTheirColours) {
    Rig rig;
    set_colors(rig.model, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
    clear_screen(rig.model);
    print_text(rig.model, "Hello");
    locate(rig.model, 51, 1);
    set_colors(rig.model, COLOR_YELLOW, COLOR_BLUE, 80);
    print_text(rig.model, "  Com1");
    locate(rig.model, 3, 4);
    rig.render();
    EXPECT_EQ(rig.terminal.row_text(1).substr(0, 5), "Hello");
    EXPECT_EQ(rig.terminal.cell(1, 1).attribute, 0x0F);
    EXPECT_EQ(rig.terminal.row_text(51).substr(0, 6), "  Com1");
    EXPECT_EQ(rig.terminal.cell(51, 80).attribute, 0x1E);
    EXPECT_EQ(rig.terminal.cursor_row(), 3);
    EXPECT_EQ(rig.terminal.cursor_column(), 4);
    EXPECT_EQ(rig.terminal.foreign_sequences(), 0);
}

TEST(AnsiRenderer, ColourBitsMapOntoAnsiOrder) {
    // Console 1 is blue (ANSI 4), 4 is red (ANSI 1); 8 is the bright bit.
    EXPECT_EQ(sgr_for_attribute(0x1E), "\x1b[93;44m");
    EXPECT_EQ(sgr_for_attribute(0x0F), "\x1b[97;40m");
    EXPECT_EQ(sgr_for_attribute(0x4C), "\x1b[91;41m");
    EXPECT_EQ(sgr_for_attribute(0x07), "\x1b[37;40m");
}

TEST(AnsiRenderer, UnchangedModelSendsNothing) {
    Rig rig;
    print_text(rig.model, "static");
    rig.render();
    EXPECT_EQ(rig.render(), "");
}

TEST(AnsiRenderer, OnlyChangedCellsAreSent) {
    Rig rig;
    print_text(rig.model, std::string(80, 'a'));
    rig.render();
    locate(rig.model, 1, 40);
    print_text(rig.model, "b");
    locate(rig.model, 1, 40);
    const std::string out = rig.render();
    EXPECT_EQ(out.find('a'), std::string::npos);
    EXPECT_NE(out.find('b'), std::string::npos);
    EXPECT_LT(out.size(), 40U);
    EXPECT_EQ(rig.terminal.row_text(1), std::string(39, 'a') + "b" + std::string(40, 'a'));
}

TEST(AnsiRenderer, EveryByteIsAGlyphNeverAControl) {
    Rig rig;
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    print_text(rig.model, all);
    const std::string out = rig.render();
    EXPECT_EQ(rig.terminal.foreign_sequences(), 0) << rig.terminal.last_foreign();
    for (int b = 1; b < 256; ++b) {
        const int row = 1 + b / 80;
        const int column = 1 + b % 80;
        EXPECT_EQ(rig.terminal.cell(row, column).glyph, b) << "byte " << b;
    }
    for (char c : out) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte >= 0x20 || byte == 0x1B) << "raw control byte " << int(byte);
    }
}

TEST(AnsiRenderer, SmallTerminalKeepsCursorRowAndStatusRowInView) {
    Screen model(80, 51);
    AnsiRenderer renderer(TerminalSize{24, 60});
    TerminalScreen terminal(24, 60);
    for (int r = 1; r <= 51; ++r) {
        locate(model, r, 1);
        print_text(model, "row" + std::to_string(r) + std::string(60, '.') + "end" + std::to_string(r));
    }
    locate(model, 40, 30);
    std::string out;
    renderer.render(model, out);
    terminal.feed(out);
    EXPECT_EQ(terminal.row_text(24).substr(0, 5), "row51");
    EXPECT_EQ(terminal.cursor_row(), 23);
    EXPECT_EQ(terminal.row_text(23).substr(0, 5), "row40");
    EXPECT_EQ(terminal.cursor_column(), 30);

    // The cursor moving right takes the view with it; the status row follows.
    locate(model, 40, 70);
    out.clear();
    renderer.render(model, out);
    terminal.feed(out);
    EXPECT_EQ(terminal.cursor_column(), 60);
    EXPECT_NE(terminal.row_text(23).find("end40"), std::string::npos);
    EXPECT_NE(terminal.row_text(24).find("end51"), std::string::npos);
    EXPECT_TRUE(terminal.cursor_visible());
}

void expect_terminal_shows_model(const Rig& rig) {
    for (int r = 1; r <= 51; ++r) {
        for (int c = 1; c <= 80; ++c) {
            ASSERT_EQ(rig.terminal.cell(r, c).glyph, cell_at(rig.model, r, c).glyph) << r << "," << c;
            ASSERT_EQ(rig.terminal.cell(r, c).attribute, cell_at(rig.model, r, c).attribute) << r << "," << c;
        }
    }
    EXPECT_EQ(rig.terminal.foreign_sequences(), 0) << rig.terminal.last_foreign();
}

TEST(AnsiRenderer, ScrolledRowsAreScrolledOnTheTerminalRatherThanDrawnAgain) {
    Rig rig;
    for (int r = 1; r <= 51; ++r) {
        locate(rig.model, r, 1);
        set_colors(rig.model, r % 16, r % 7, 0);
        print_text(rig.model, "row " + std::to_string(r) + std::string(static_cast<std::size_t>(r), '='));
    }
    rig.render();
    scroll_region(rig.model, 2, 1, 50, 80, 1, ScrollDirection::up);
    locate(rig.model, 50, 1);
    print_text(rig.model, "a new line");
    EXPECT_LT(rig.render().size(), 200U);  // drawn again, the 49 rows would take thousands
    expect_terminal_shows_model(rig);

    // Several in one frame: both directions, overlapping regions, one larger than its
    // region, the whole screen moved by a newline on the bottom row, a partial width.
    scroll_region(rig.model, 2, 1, 50, 80, 3, ScrollDirection::up);
    scroll_region(rig.model, 10, 1, 20, 80, 2, ScrollDirection::down);
    scroll_region(rig.model, 30, 1, 35, 80, 9, ScrollDirection::up);
    locate(rig.model, 51, 80);
    print_newline(rig.model);
    scroll_region(rig.model, 5, 3, 9, 70, 1, ScrollDirection::up);
    print_text(rig.model, "bottom");
    rig.render();
    expect_terminal_shows_model(rig);
}

TEST(AnsiRenderer, HiddenCursorStaysHidden) {
    Rig rig;
    rig.model.cursor_visible = false;
    rig.render();
    EXPECT_FALSE(rig.terminal.cursor_visible());
    rig.model.cursor_visible = true;
    rig.render();
    EXPECT_TRUE(rig.terminal.cursor_visible());
}

}  // namespace
}  // namespace zizuvu
