#pragma once
// A program run driven by a script of keys, for tests of the procedures: the
// run-wide state as start-up leaves it, with the screen model to read back.

#include "app/main_menu.hpp"
#include "app/program.hpp"
#include "tests/support/scripted_console.hpp"

namespace zizuvu::testing {

struct ProgramRig {
    ProgramRig() {
        keys.watch(console.screen);
        start_up(program);
    }

    Screen& screen() { return console.screen; }
    std::string row(int r) { return row_text(console.screen, r); }

    ScriptedConsole keys;
    Console console{keys};
    Program program{console};
    Session& session = program.session;
    Downloads& downloads = program.downloads;
};

}  // namespace zizuvu::testing
