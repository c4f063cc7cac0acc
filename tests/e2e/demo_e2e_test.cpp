// The demo's wiring: tools/with-radio puts the simulated radio behind Com1 for the
// program, and stops it when the program ends.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>

#include "tests/support/pty_process.hpp"
#include "tests/support/run_command.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using testing::read_file;
using testing::run_command;
using testing::TempDir;

TEST(DemoWiring, Com1IsTheRadioAndEveryOtherPortLeadsNowhere) {
    const auto result = run_command(
        {ZIZUVU_WITH_RADIO, ZIZUVU_RADIO_EXECUTABLE, "/bin/sh", "-c",
         "readlink \"$ZIZUVU_COM1\"; test -c \"$ZIZUVU_COM1\" && echo device; env | grep '^ZIZUVU_COM' | sort"});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.out.rfind("/dev/pts/", 0), 0U) << result.out;
    EXPECT_NE(result.out.find("\ndevice\n"), std::string::npos) << result.out;
    for (int n = 2; n <= 9; ++n) {
        const std::string line = "ZIZUVU_COM" + std::to_string(n) + "=/nonexistent/";
        EXPECT_NE(result.out.find(line), std::string::npos) << line;
    }
    // The radio was stopped once the command ended: its summary comes last.
    EXPECT_NE(result.err.find("zizuvu-radio: 0 bytes programmed"), std::string::npos) << result.err;
}

TEST(DemoWiring, TheCommandsExitStatusComesThrough) {
    const auto result = run_command({ZIZUVU_WITH_RADIO, ZIZUVU_RADIO_EXECUTABLE, "/bin/sh", "-c", "exit 3"});
    EXPECT_EQ(result.exit_code, 3);
    const auto options = run_command({ZIZUVU_WITH_RADIO, ZIZUVU_RADIO_EXECUTABLE, "--serial-number", "42", "--",
                                      "/bin/sh", "-c", "exit 0"});
    EXPECT_EQ(options.exit_code, 0) << options.err;
    const auto bad = run_command({ZIZUVU_WITH_RADIO, ZIZUVU_RADIO_EXECUTABLE, "--generation", "x99", "--", "/bin/true"});
    EXPECT_NE(bad.exit_code, 0);
    EXPECT_NE(bad.err.find("zizuvu-radio did not come up"), std::string::npos) << bad.err;
}

TEST(DemoWiring, TheMenuComesUpWithTheRadioBehindCom1AndTheRadioStopsAfter) {
    TempDir dir;
    auto program = testing::PtyProcess::start({ZIZUVU_WITH_RADIO, ZIZUVU_RADIO_EXECUTABLE, ZIZUVU_EXECUTABLE},
                                              {"ZIZUVU_RADIO_DIR=" + dir.path()});
    ASSERT_NE(program, nullptr);
    ASSERT_TRUE(program->wait_for_text("<esc>    End program")) << program->screen().dump();
    EXPECT_TRUE(program->wait_for_text("  Com1        Baudrate =  19200  ")) << program->screen().dump();
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("com1")));
    program->send("\x1b");
    const auto status = program->wait_exit();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    EXPECT_NE(read_file(dir.file("radio.err")).find("zizuvu-radio: 0 bytes programmed"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.file("com1"))));
    EXPECT_NE(read_file(dir.file("radio.hex")), "");
}

}  // namespace
}  // namespace zizuvu
