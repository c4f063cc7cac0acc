// Something that is not a serial line behind a port's name (a file, a pipe, a
// directory, /dev/null): the setup terminal and both downloads refuse it with error
// 75, and not one byte is written into it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "download/download_procedures.hpp"
#include "terminal/setup_terminal.hpp"
#include "tests/support/program_rig.hpp"
#include "tests/support/pty_pair.hpp"
#include "tests/support/run_command.hpp"

namespace zizuvu {
namespace {

struct NotAPort {
    const char* what;
    // Makes the target in `dir` and returns its path.
    std::function<std::string(testing::TempDir& dir)> make;
    // True when nothing was written into it.
    std::function<bool(const std::string& path)> untouched;
};

// A FIFO keeps a reader of the test's own, so that anything written would be there to read.
int fifo_reader = -1;

const NotAPort targets[] = {
    {"regular file",
     [](testing::TempDir& dir) {
         const std::string path = dir.file("com1.txt");
         testing::write_file(path, "kept");
         return path;
     },
     [](const std::string& path) { return testing::read_file(path) == "kept"; }},
    {"FIFO with no writer",
     [](testing::TempDir& dir) {
         const std::string path = dir.file("com1.fifo");
         mkfifo(path.c_str(), 0600);
         fifo_reader = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
         return path;
     },
     [](const std::string&) {
         char byte = 0;
         const bool empty = read(fifo_reader, &byte, 1) <= 0;
         close(fifo_reader);
         return empty;
     }},
    {"directory",
     [](testing::TempDir& dir) {
         const std::string path = dir.file("com1.d");
         std::filesystem::create_directory(path);
         return path;
     },
     [](const std::string& path) { return std::filesystem::is_empty(path); }},
    {"/dev/null", [](testing::TempDir&) { return std::string("/dev/null"); }, [](const std::string&) { return true; }},
};

std::string indicator_of(testing::ProgramRig& rig) { return rig.row(51).substr(64, 12); }

TEST(NotAPort, TheTerminalAndBothDownloadsRefuseItWith75AndWriteNothing) {
    for (const NotAPort& target : targets) {
        SCOPED_TRACE(target.what);
        testing::TempDir dir;
        const std::string path = target.make(dir);
        testing::ScopedEnvironment com1("ZIZUVU_COM1", path);
        testing::ProgramRig rig;

        rig.keys.when_screen_shows("  1  75   0 ").type("abc").type("q");
        run_setup_terminal(rig.session, rig.program.terminal);
        EXPECT_TRUE(rig.keys.used_up());
        EXPECT_EQ(indicator_of(rig), "  1  75   0 ");
        EXPECT_EQ(rig.row(51).substr(0, 37), "  Com1 not available - waiting for it");

        rig.keys.type_line("y").type_line("");
        download_older_radio(rig.session, rig.downloads);
        EXPECT_EQ(indicator_of(rig), "  2  75   0 ");
        rig.keys.type_line("y").type_line("");
        download_current_radio(rig.session, rig.downloads);
        EXPECT_EQ(indicator_of(rig), "  3  75   0 ");
        EXPECT_EQ(rig.session.error_count, 3);
        EXPECT_TRUE(target.untouched(path));
    }
}

}  // namespace
}  // namespace zizuvu
