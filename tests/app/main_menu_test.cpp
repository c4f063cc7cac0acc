#include "app/main_menu.hpp"

#include <gtest/gtest.h>

#include "tests/support/program_rig.hpp"

namespace zizuvu {
namespace {

using testing::ProgramRig;

std::string padded(std::string_view text) {
    std::string row(text);
    row.resize(80, ' ');
    return row;
}

TEST(MainMenu, DrawnExactly) {
    ProgramRig rig;
    draw_main_menu(rig.program);
    EXPECT_EQ(rig.row(1), padded("            ZIzuvu Revision 5.80 for 900MHz"));
    EXPECT_EQ(rig.row(5), padded("0        Upload X.71 and older"));
    EXPECT_EQ(rig.row(7), padded("1        UpLoad X.72 and newer"));
    EXPECT_EQ(rig.row(9), padded("2        Radio Setup"));
    EXPECT_EQ(rig.row(11), padded("3        Set Com Port for Terminal Emulator and Download"));
    EXPECT_EQ(rig.row(13), padded("4        Program Retry For X.72 and newer Firmware"));
    EXPECT_EQ(rig.row(15), padded("<esc>    End program"));
    for (int r : {2, 3, 4, 6, 8, 10, 12, 14, 16, 30, 50}) EXPECT_EQ(rig.row(r), padded("")) << "row " << r;
    EXPECT_EQ(rig.row(51), padded("  Com1        Baudrate =  19200"));
    for (int c = 1; c <= 80; ++c) {
        EXPECT_EQ(cell_at(rig.screen(), 51, c).attribute, 0x1E) << "column " << c;
        EXPECT_EQ(cell_at(rig.screen(), 1, c).attribute, 0x0F) << "column " << c;
    }
    EXPECT_EQ(cursor_row(rig.screen()), 1);
    EXPECT_EQ(cursor_column(rig.screen()), 1);
    EXPECT_EQ(rig.screen().foreground, COLOR_BRIGHT_WHITE);
    EXPECT_EQ(rig.screen().background, COLOR_BLACK);
}

TEST(MainMenu, SettingsLineColumnsFollowTheBaudRate) {
    ProgramRig rig;
    draw_main_menu(rig.program);
    EXPECT_EQ(rig.row(51).substr(14, 11), "Baudrate = ");
    EXPECT_EQ(rig.row(51).substr(25, 7), " 19200 ");
    rig.session.port_settings.baud_rate = 115200;
    draw_main_menu(rig.program);
    EXPECT_EQ(rig.row(51).substr(25, 8), " 115200 ");
    EXPECT_EQ(rig.row(51).substr(33), std::string(47, ' '));
}

TEST(MainMenu, OtherKeysBeepAndRedrawTheSameMenu) {
    ProgramRig rig;
    rig.keys.type("5x\r").press(extended_key(SCAN_UP)).press(character_key(3)).type("\x1b");
    run_main_menu(rig.program);
    EXPECT_EQ(rig.keys.beeps(), 5);
    EXPECT_TRUE(rig.keys.used_up());
    EXPECT_FALSE(rig.keys.termination_requested());  // ended by Escape, not by running out of keys
    EXPECT_EQ(rig.row(51), padded("  Com1        Baudrate =  19200"));
}

TEST(MainMenu, ChoiceThreeChangesTheSettingsLine) {
    ProgramRig rig;
    rig.keys.type("3").type_line("4").type_line("9600").type("\x1b");
    run_main_menu(rig.program);
    EXPECT_EQ(rig.row(51), padded("  Com4        Baudrate =  9600"));
    EXPECT_EQ(rig.row(5), padded("0        Upload X.71 and older"));
    EXPECT_EQ(cursor_row(rig.screen()), 1);
    EXPECT_EQ(cursor_column(rig.screen()), 1);
}

TEST(MainMenu, EveryRunStartsWithTheDefaults) {
    ProgramRig first;
    first.session.port_settings = PortSettings{"Com7", 4800};
    ProgramRig second;
    EXPECT_EQ(second.session.port_settings.port_name, "Com1");
    EXPECT_EQ(second.session.port_settings.baud_rate, 19200);
    EXPECT_EQ(second.screen().width, 80);
    EXPECT_EQ(second.screen().height, 51);
}

}  // namespace
}  // namespace zizuvu
