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

class WrongArguments : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(WrongArguments, PrintTheUsageToStandardErrorAndExit2) {
    std::vector<std::string> command = {ZIZUVU_EXECUTABLE};
    command.insert(command.end(), GetParam().begin(), GetParam().end());
    const auto result = run_command(command);
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("usage: zizuvu", 0), 0u) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, WrongArguments,
    ::testing::Values(std::vector<std::string>{"-x"}, std::vector<std::string>{"help"},
                      std::vector<std::string>{"--versions"}, std::vector<std::string>{"-h"},
                      std::vector<std::string>{""}, std::vector<std::string>{"--help", "--version"},
                      std::vector<std::string>{"--version", "Com1"}));

}  // namespace
}  // namespace zizuvu
