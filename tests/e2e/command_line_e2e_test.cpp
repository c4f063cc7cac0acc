// The real executable's command line: the two arguments every installed command
// answers, and a refusal of everything else, all without touching the terminal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run_command.hpp"

namespace zizuvu {
namespace {

using testing::run_command;

TEST(CommandLine, HelpPrintsTheUsageAndSucceeds) {
    const auto result = run_command({ZIZUVU_EXECUTABLE, "--help"});
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out.rfind("usage: zizuvu", 0), 0u) << result.out;
    EXPECT_NE(result.out.find("ZIZUVU_COM<N>"), std::string::npos);
    EXPECT_NE(result.out.find("--version"), std::string::npos);
    EXPECT_EQ(result.err, "");
}

TEST(CommandLine, VersionIsTheBuildsVersion) {
    const auto result = run_command({ZIZUVU_EXECUTABLE, "--version"});
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out, std::string("zizuvu ") + ZIZUVU_PROJECT_VERSION + "\n");
    EXPECT_EQ(result.err, "");
}

TEST(CommandLine, HelpOnAFullOutputFails) {
    // Output that cannot be written is not a success.
    const auto result = run_command({"/bin/sh", "-c", std::string(ZIZUVU_EXECUTABLE) + " --help >/dev/full"});
    EXPECT_NE(result.exit_code, 0);
}

TEST(CommandLine, WithoutArgumentsItRunsTheProgramNotTheUsage) {
    // Standard input here is not a terminal: the program itself starts and says
    // why it cannot take over the console.
    const auto result = run_command({ZIZUVU_EXECUTABLE});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.err.rfind("zizuvu: ", 0), 0u) << result.err;
    EXPECT_EQ(result.err.find("usage:"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
}

// Every refusal: one line that says what was wrong, the usage hint where it was the
// command line, status 2, and nothing else done.
struct Refusal {
    std::vector<std::string> arguments;
    std::string reason;  // a part of the first line
};

class WrongArguments : public ::testing::TestWithParam<Refusal> {};

TEST_P(WrongArguments, SayWhatWasWrongAndExit2) {
    testing::TempDir dir;
    testing::write_file(dir.file("bad.conf"), "com1 = \"/dev/ttyUSB0\"\nbaud = 1200\n");
    testing::write_file(dir.file("bad.hex"), ":10100000FF\n");
    std::vector<std::string> command = {ZIZUVU_EXECUTABLE};
    for (const std::string& argument : GetParam().arguments) command.push_back(argument.rfind("DIR/", 0) == 0 ? dir.path() + argument.substr(3) : argument);
    const auto result = run_command(command);
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_EQ(result.out, "");
    const std::string first_line = result.err.substr(0, result.err.find('\n'));
    EXPECT_EQ(first_line.rfind("zizuvu: ", 0), 0u) << result.err;
    EXPECT_NE(first_line.find(GetParam().reason), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, WrongArguments,
    ::testing::Values(Refusal{{"-x"}, "unknown option '-x'"}, Refusal{{"help"}, "did you mean --help?"},
                      Refusal{{"--versions"}, "unknown option"}, Refusal{{""}, "PATH is empty"},
                      Refusal{{"--help", "--version"}, "--help takes no other arguments"},
                      Refusal{{"--com", "10=/dev/ttyUSB0"}, "not a port number"},
                      Refusal{{"--com", "3="}, "--com"}, Refusal{{"--baud", "1200"}, "1200"},
                      Refusal{{"--config", "DIR/bad.conf"}, "bad.conf:2:"},
                      Refusal{{"--config", "DIR/missing.conf"}, "missing.conf"},
                      Refusal{{"--image", "DIR/bad.hex", "--check"}, "bad.hex:1:"},
                      Refusal{{"--image", "DIR/missing.hex"}, "missing.hex: cannot read the firmware image"}));

}  // namespace
}  // namespace zizuvu
