#include "session/error_indicator.hpp"

#include <gtest/gtest.h>

#include "app/main_menu.hpp"
#include "tests/support/program_rig.hpp"

namespace zizuvu {
namespace {

using testing::ProgramRig;

TEST(ErrorIndicator, ShowsCountNumberAndDetailThenClears) {
    ProgramRig rig;
    draw_main_menu(rig.program);
    locate(rig.screen(), 10, 7);
    record_error(rig.session.errors, 53);
    show_pending_error(rig.session);
    EXPECT_EQ(rig.row(51).substr(64, 12), "  1  53   0 ");
    for (int c = 65; c <= 76; ++c) EXPECT_EQ(cell_at(rig.screen(), 51, c).attribute, 0x1E);
    EXPECT_EQ(cursor_row(rig.screen()), 10);
    EXPECT_EQ(cursor_column(rig.screen()), 7);
    EXPECT_EQ(rig.screen().foreground, COLOR_BRIGHT_WHITE);
    EXPECT_EQ(rig.screen().background, COLOR_BLACK);
    EXPECT_EQ(error_number(rig.session.errors), 0);
    EXPECT_EQ(rig.keys.beeps(), 1);

    // The check point finds nothing the second time.
    show_pending_error(rig.session);
    EXPECT_EQ(rig.keys.beeps(), 1);
    print_text(rig.screen(), "x");
    EXPECT_EQ(cell_at(rig.screen(), 10, 7).attribute, 0x0F);
}

TEST(ErrorIndicator, CountsAcrossScreensAndShowsTheLaterOfTwoErrors) {
    ProgramRig rig;
    for (int i = 0; i < 4; ++i) {
        draw_main_menu(rig.program);
        record_error(rig.session.errors, 70);
        show_error_indicator(rig.session);
    }
    draw_main_menu(rig.program);
    record_error(rig.session.errors, 53);
    record_error(rig.session.errors, 57);
    show_pending_error(rig.session);
    EXPECT_EQ(rig.row(51).substr(64, 12), "  5  57   0 ");
    EXPECT_EQ(rig.session.error_count, 5);
}

TEST(ErrorIndicator, WideCountRunsFurtherRight) {
    ProgramRig rig;
    draw_main_menu(rig.program);
    rig.session.error_count = 999;
    record_error(rig.session.errors, 5);
    show_error_indicator(rig.session);
    EXPECT_EQ(rig.row(51).substr(64, 14), "%1000   5   0 ");
}

}  // namespace
}  // namespace zizuvu
