#include "console/screen.hpp"

#include <gtest/gtest.h>

#include <string>

namespace zizuvu {
namespace {

Screen make_screen() {
    Screen screen(80, 51);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
    clear_screen(screen);
    return screen;
}

TEST(ScreenPendingScroll, FullBottomRowStaysUntilMoreOutput) {
    Screen screen = make_screen();
    locate(screen, 1, 1);
    print_text(screen, "top");
    locate(screen, 51, 1);
    print_text(screen, std::string(80, 'x'));
    EXPECT_EQ(row_text(screen, 51), std::string(80, 'x'));
    EXPECT_EQ(row_text(screen, 1).substr(0, 3), "top");
    EXPECT_TRUE(screen.pending_scroll);

    // A locate cancels the pending scroll: nothing moves.
    locate(screen, 51, 1);
    print_text(screen, "y");
    EXPECT_EQ(row_text(screen, 1).substr(0, 3), "top");
    EXPECT_EQ(row_text(screen, 51)[0], 'y');
}

TEST(ScreenPendingScroll, TextAfterFullBottomRowScrollsFirst) {
    Screen screen = make_screen();
    locate(screen, 1, 1);
    print_text(screen, "top");
    locate(screen, 2, 1);
    print_text(screen, "second");
    locate(screen, 51, 1);
    print_text(screen, std::string(80, 'x'));
    print_text(screen, "z");
    EXPECT_EQ(row_text(screen, 1).substr(0, 6), "second");
    EXPECT_EQ(row_text(screen, 50), std::string(80, 'x'));
    EXPECT_EQ(row_text(screen, 51), "z" + std::string(79, ' '));
    EXPECT_EQ(cursor_row(screen), 51);
    EXPECT_EQ(cursor_column(screen), 2);
}

TEST(ScreenPendingScroll, NewlineOnBottomRowScrollsOnceOrTwice) {
    Screen once = make_screen();
    locate(once, 1, 1);
    print_text(once, "a");
    locate(once, 2, 1);
    print_text(once, "b");
    locate(once, 51, 1);
    print_newline(once);
    EXPECT_EQ(row_text(once, 1)[0], 'b');

    Screen twice = make_screen();
    locate(twice, 1, 1);
    print_text(twice, "a");
    locate(twice, 2, 1);
    print_text(twice, "b");
    locate(twice, 3, 1);
    print_text(twice, "c");
    locate(twice, 51, 1);
    print_text(twice, std::string(80, 'x'));
    print_newline(twice);
    EXPECT_EQ(row_text(twice, 1)[0], 'c');
    EXPECT_EQ(row_text(twice, 49), std::string(80, 'x'));
    EXPECT_EQ(cursor_row(twice), 51);
    EXPECT_EQ(cursor_column(twice), 1);
}

TEST(ScreenCells, ControlBytesAreGlyphsAndDoNotMoveTheCursor) {
    Screen screen = make_screen();
    locate(screen, 3, 10);
    print_text(screen, std::string("\r\n\b\a\t", 5));
    EXPECT_EQ(cell_at(screen, 3, 10).glyph, 13);
    EXPECT_EQ(cell_at(screen, 3, 11).glyph, 10);
    EXPECT_EQ(cell_at(screen, 3, 12).glyph, 8);
    EXPECT_EQ(cursor_row(screen), 3);
    EXPECT_EQ(cursor_column(screen), 15);
}

TEST(ScreenCells, TextWrapsAtTheRightEdge) {
    Screen screen = make_screen();
    locate(screen, 4, 78);
    print_text(screen, "abcde");
    EXPECT_EQ(row_text(screen, 4).substr(77), "abc");
    EXPECT_EQ(row_text(screen, 5).substr(0, 2), "de");
    EXPECT_EQ(cursor_row(screen), 5);
    EXPECT_EQ(cursor_column(screen), 3);
}

TEST(ScreenCursor, LocateOutsideKeepsThatCoordinate) {
    Screen screen = make_screen();
    locate(screen, 10, 20);
    locate(screen, 0, 5);
    EXPECT_EQ(cursor_row(screen), 10);
    EXPECT_EQ(cursor_column(screen), 5);
    locate(screen, 52, 81);
    EXPECT_EQ(cursor_row(screen), 10);
    EXPECT_EQ(cursor_column(screen), 5);
}

TEST(ScreenColours, SixteenLeavesAColourAndPaintCountRecolours) {
    Screen screen = make_screen();
    set_colors(screen, 16, COLOR_BLUE, 0);
    EXPECT_EQ(screen.foreground, COLOR_BRIGHT_WHITE);
    EXPECT_EQ(screen.background, COLOR_BLUE);
    locate(screen, 51, 1);
    set_colors(screen, COLOR_YELLOW, COLOR_BLUE, 80);
    for (int c = 1; c <= 80; ++c) EXPECT_EQ(cell_at(screen, 51, c).attribute, 0x1E);
    EXPECT_EQ(cell_at(screen, 50, 80).attribute, 0x0F);
    // Painting runs on across rows and stops at the end of the screen.
    locate(screen, 50, 79);
    set_colors(screen, 2, 0, 1000);
    EXPECT_EQ(cell_at(screen, 50, 79).attribute, 0x02);
    EXPECT_EQ(cell_at(screen, 51, 80).attribute, 0x02);
    EXPECT_EQ(cell_at(screen, 50, 78).attribute, 0x0F);
}

TEST(ScreenPrinting, NumbersAndZones) {
    Screen screen = make_screen();
    print_text(screen, "  Com1");
    next_print_zone(screen);
    EXPECT_EQ(cursor_column(screen), 15);
    next_print_zone(screen);  // at a zone start it still moves a whole zone
    EXPECT_EQ(cursor_column(screen), 29);
    locate(screen, 2, 1);
    print_number(screen, 19200);
    print_number(screen, -3);
    EXPECT_EQ(row_text(screen, 2).substr(0, 11), " 19200 -3  ");
}

TEST(ScreenScrolling, RegionMovesAndBlanksInCurrentColours) {
    Screen screen = make_screen();
    for (int r = 1; r <= 51; ++r) {
        locate(screen, r, 1);
        print_text(screen, std::to_string(r));
    }
    set_colors(screen, COLOR_YELLOW, COLOR_BLUE, 0);
    locate(screen, 20, 7);
    scroll_region(screen, 2, 1, 50, 80, 1, ScrollDirection::up);
    EXPECT_EQ(row_text(screen, 1).substr(0, 2), "1 ");
    EXPECT_EQ(row_text(screen, 2).substr(0, 2), "3 ");
    EXPECT_EQ(row_text(screen, 49).substr(0, 2), "50");
    EXPECT_EQ(row_text(screen, 50), std::string(80, ' '));
    EXPECT_EQ(cell_at(screen, 50, 1).attribute, 0x1E);
    EXPECT_EQ(row_text(screen, 51).substr(0, 2), "51");
    EXPECT_EQ(cursor_row(screen), 20);
    EXPECT_EQ(cursor_column(screen), 7);

    // A bottom beyond the screen is clamped; a count of 0 counts as 1.
    scroll_region(screen, 1, 1, 99, 80, 0, ScrollDirection::down);
    EXPECT_EQ(row_text(screen, 2).substr(0, 2), "1 ");

    // Several lines at once, either way; more lines than the region has blank it.
    Screen many = make_screen();
    for (int r = 1; r <= 51; ++r) {
        locate(many, r, 1);
        print_text(many, std::to_string(r));
    }
    scroll_region(many, 2, 1, 50, 80, 3, ScrollDirection::up);
    EXPECT_EQ(row_text(many, 2).substr(0, 2), "5 ");
    EXPECT_EQ(row_text(many, 47).substr(0, 2), "50");
    EXPECT_EQ(row_text(many, 48), std::string(80, ' '));
    scroll_region(many, 2, 1, 50, 80, 2, ScrollDirection::down);
    EXPECT_EQ(row_text(many, 3), std::string(80, ' '));
    EXPECT_EQ(row_text(many, 4).substr(0, 2), "5 ");
    EXPECT_EQ(row_text(many, 49).substr(0, 2), "50");
    EXPECT_EQ(row_text(many, 51).substr(0, 2), "51");
    scroll_region(many, 40, 1, 45, 80, 9, ScrollDirection::up);
    EXPECT_EQ(row_text(many, 45), std::string(80, ' '));
    EXPECT_EQ(row_text(many, 46).substr(0, 2), "47");
}

TEST(ScreenSize, ResizeKeepsContentAndClampsCursor) {
    Screen screen(80, 25);
    print_text(screen, "kept");
    locate(screen, 25, 80);
    set_screen_size(screen, 80, 51);
    EXPECT_EQ(screen.height, 51);
    EXPECT_EQ(row_text(screen, 1).substr(0, 4), "kept");
    set_screen_size(screen, 40, 10);
    EXPECT_EQ(cursor_row(screen), 10);
    EXPECT_EQ(cursor_column(screen), 40);
}

}  // namespace
}  // namespace zizuvu
