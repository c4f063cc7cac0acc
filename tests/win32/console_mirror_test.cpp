#include "platform/win32/console_mirror.hpp"

#include <gtest/gtest.h>

#include "console/screen.hpp"

namespace zizuvu {
namespace {

Screen menu_like_screen() {
    Screen screen(80, 25);
    set_screen_size(screen, 80, 51);
    set_colors(screen, COLOR_BRIGHT_WHITE, COLOR_BLACK, 0);
    clear_screen(screen);
    locate(screen, 3, 10);
    print_text(screen, "Main menu");
    return screen;
}

TEST(Win32ConsoleMirror, FirstPlanSizesTheBufferAndWritesEveryRowWhole) {
    Screen screen = menu_like_screen();
    ConsoleMirror mirror;
    ConsoleUpdate update;
    mirror.plan(screen, update);
    EXPECT_TRUE(update.resize);
    EXPECT_EQ(update.width, 80);
    EXPECT_EQ(update.height, 51);
    ASSERT_EQ(update.segments.size(), 51U);
    for (int r = 0; r < 51; ++r) {
        EXPECT_EQ(update.segments[static_cast<std::size_t>(r)].row, r);
        EXPECT_EQ(update.segments[static_cast<std::size_t>(r)].column, 0);
        EXPECT_EQ(update.segments[static_cast<std::size_t>(r)].count, 80);
    }
    EXPECT_TRUE(update.move_cursor);
    EXPECT_EQ(update.cursor_row, 2);
    EXPECT_EQ(update.cursor_column, 18);
    EXPECT_TRUE(update.change_cursor_visibility);

    mirror.plan(screen, update);
    EXPECT_FALSE(update.resize);
    EXPECT_TRUE(update.segments.empty());
    EXPECT_FALSE(update.move_cursor);
    EXPECT_FALSE(update.change_cursor_visibility);
}

TEST(Win32ConsoleMirror, OnlyTheCellsThatDifferAreWrittenAgain) {
    Screen screen = menu_like_screen();
    ConsoleMirror mirror;
    ConsoleUpdate update;
    mirror.plan(screen, update);
    locate(screen, 3, 15);
    print_text(screen, "mEnu");  // only "E" differs from what is shown
    locate(screen, 51, 1);
    set_colors(screen, COLOR_YELLOW, COLOR_BLUE, 80);  // the status row's colours alone
    mirror.plan(screen, update);
    ASSERT_EQ(update.segments.size(), 2U);
    EXPECT_EQ(update.segments[0].row, 2);
    EXPECT_EQ(update.segments[0].column, 15);
    EXPECT_EQ(update.segments[0].count, 1);
    EXPECT_EQ(update.segments[1].row, 50);
    EXPECT_EQ(update.segments[1].column, 0);
    EXPECT_EQ(update.segments[1].count, 80);
    EXPECT_TRUE(update.move_cursor);
    EXPECT_EQ(update.cursor_row, 50);
    EXPECT_EQ(update.cursor_column, 0);
}

TEST(Win32ConsoleMirror, ScrolledRowsAreMovedNotWrittenAndTheFreedRowIsWritten) {
    Screen screen = menu_like_screen();
    for (int r = 2; r <= 50; ++r) {
        locate(screen, r, 1);
        print_text(screen, "line " + std::to_string(r));
    }
    ConsoleMirror mirror;
    ConsoleUpdate update;
    mirror.plan(screen, update);
    // The terminal's text area: rows 2 to 50 up one line, the new line at the bottom.
    scroll_region(screen, 2, 1, 50, 80, 1, ScrollDirection::up);
    locate(screen, 50, 1);
    print_text(screen, "new");
    mirror.plan(screen, update);
    ASSERT_EQ(update.scrolls.size(), 1U);
    EXPECT_EQ(update.scrolls[0].top, 1);
    EXPECT_EQ(update.scrolls[0].bottom, 49);
    EXPECT_EQ(update.scrolls[0].lines, 1);
    ASSERT_EQ(update.segments.size(), 1U);
    EXPECT_EQ(update.segments[0].row, 49);
    EXPECT_EQ(update.segments[0].count, 80);
}

TEST(Win32ConsoleMirror, AScrollOfTheWholeRegionOrTooManyScrollsDrawsTheRows) {
    Screen screen = menu_like_screen();
    ConsoleMirror mirror;
    ConsoleUpdate update;
    mirror.plan(screen, update);
    for (int r = 2; r <= 50; ++r) {
        locate(screen, r, 1);
        print_text(screen, "x");
    }
    for (int i = 0; i < 200; ++i) scroll_region(screen, 2, 1, 10, 80, 1, ScrollDirection::down);
    mirror.plan(screen, update);
    EXPECT_TRUE(update.scrolls.empty());
    // Too many scrolls to replay: rows 2 to 10 are written instead.
    EXPECT_GE(update.segments.size(), 9U);
    mirror.plan(screen, update);
    EXPECT_TRUE(update.segments.empty());
}

TEST(Win32ConsoleMirror, InvalidateDrawsEverythingWithoutResizing) {
    Screen screen = menu_like_screen();
    ConsoleMirror mirror;
    ConsoleUpdate update;
    mirror.plan(screen, update);
    mirror.invalidate();
    mirror.plan(screen, update);
    EXPECT_FALSE(update.resize);
    EXPECT_EQ(update.segments.size(), 51U);
    screen.cursor_visible = false;
    mirror.plan(screen, update);
    EXPECT_TRUE(update.change_cursor_visibility);
    EXPECT_FALSE(update.cursor_visible);
}

}  // namespace
}  // namespace zizuvu
