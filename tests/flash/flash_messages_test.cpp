// The lines a port's child process sends the parent: what goes in comes out, texts
// that would break a line are made plain, and anything else is not taken for a message.
#include <gtest/gtest.h>

#include "flash/flash_messages.hpp"

namespace zizuvu {
namespace {

TEST(FlashMessages, ResultsAndProgressComeBackAsSentWithTextsMadePlain) {
    const PortResult sent{5, 42, 12.5, 300, "123456", "INCOMPLETE:\tended\nat 0x112C", "disk full\r"};
    const std::optional<ChildMessage> result = read_message(result_line(sent).substr(0, result_line(sent).size() - 1));
    ASSERT_TRUE(result && std::holds_alternative<PortResult>(*result));
    const auto& got = std::get<PortResult>(*result);
    EXPECT_EQ(got.exit_status, 5);
    EXPECT_EQ(got.record_id, 42);
    EXPECT_DOUBLE_EQ(got.seconds, 12.5);
    EXPECT_EQ(got.acknowledged, 300);
    EXPECT_EQ(got.radio_serial, "123456");
    EXPECT_EQ(got.verdict, "INCOMPLETE: ended at 0x112C");
    EXPECT_EQ(got.not_recorded, "disk full ");

    DownloadReport report;
    report.phase = DownloadPhase::programming;
    report.bytes_acknowledged = 1234;
    report.bytes_to_send = 47956;
    report.radio_serial = 654321;
    const std::string line = progress_line(report);
    const std::optional<ChildMessage> progress = read_message(line.substr(0, line.size() - 1));
    ASSERT_TRUE(progress && std::holds_alternative<PortProgress>(*progress));
    const auto& shown = std::get<PortProgress>(*progress);
    EXPECT_EQ(shown.phase, DownloadPhase::programming);
    EXPECT_EQ(shown.acknowledged, 1234);
    EXPECT_EQ(shown.total, 47956);
    EXPECT_EQ(shown.radio_serial, "654321");
}

TEST(FlashMessages, LinesThatAreNotMessagesAreRefused) {
    for (const char* line : {"", "P", "P\t9\t0\t0\t", "P\t1\tx\t0\t", "P\t1\t0\t0", "R\t0\t1\t1.0\t5\t\tv",
                             "R\t0\t1\tsoon\t5\t\tv\t", "J", "X\t1", "J\t{}\textra"}) {
        EXPECT_FALSE(read_message(line).has_value()) << '"' << line << '"';
    }
}

// A pipe gives bytes as they come: lines cut anywhere come out whole, in order.
TEST(FlashMessages, ABufferGivesWholeLinesFromPiecesCutAnywhere) {
    MessageBuffer buffer;
    buffer.add("J\t{\"a\"");
    EXPECT_FALSE(buffer.next_line());
    buffer.add(":1}\nP\t1\t");
    EXPECT_EQ(buffer.next_line(), "J\t{\"a\":1}");
    EXPECT_FALSE(buffer.next_line());
    buffer.add("0\t9\t\n\n");
    EXPECT_EQ(buffer.next_line(), "P\t1\t0\t9\t");
    EXPECT_EQ(buffer.next_line(), "");
    EXPECT_FALSE(buffer.next_line());
}

}  // namespace
}  // namespace zizuvu
