#include "download/download_report.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zizuvu {
namespace {

struct VerdictWording {
    bool walk_complete;
    std::vector<std::uint16_t> passed_over;
    long acknowledged;
    const char* text;
    bool good;
};

TEST(VerdictOf, NamesWhatHappenedWithTheRightCountsAndGrammar) {
    const VerdictWording cases[] = {
        {true, {}, 47956, "Complete: 47956 bytes sent and acknowledged, image CRC-32 0000BEEF", true},
        {true, {0x1234}, 47955,
         "Complete, but 1 byte was passed over by the operator after a mismatch - program again", false},
        {true, {0x1234, 0x1235, 0x2000}, 47953,
         "Complete, but 3 bytes were passed over by the operator after a mismatch - program again", false},
        // A byte passed over before the download ended early: the early end is what matters.
        {false, {0x1234}, 120, "INCOMPLETE: ended at address 0xE000, 120 of 47956 bytes sent - the radio is not "
                               "fully programmed", false},
    };
    for (const VerdictWording& c : cases) {
        DownloadReport report = start_report(DownloadProcedure::current, 47956);
        report.walk_complete = c.walk_complete;
        report.passed_over = c.passed_over;
        report.bytes_acknowledged = c.acknowledged;
        report.address = 0xE000;
        const Verdict verdict = verdict_of(report, 0xBEEF);
        EXPECT_EQ(verdict.text, c.text);
        EXPECT_EQ(verdict.good, c.good) << c.text;
    }
}

TEST(NoteAnswer, CountsOnlyAnAnswerToAQuestionThatWasRaised) {
    DownloadReport report = start_report(DownloadProcedure::older, 10);
    note_answer(report, QuestionAnswer::retry);  // nothing open: nothing counted
    note_question(report, QuestionKind::wrong_data);
    note_answer(report, QuestionAnswer::go_on);
    note_answer(report, QuestionAnswer::go_on);  // already answered
    const QuestionCounts& counts = report.questions[static_cast<std::size_t>(QuestionKind::wrong_data)];
    EXPECT_EQ(counts.raised, 1);
    EXPECT_EQ(counts.answered[static_cast<std::size_t>(QuestionAnswer::go_on)], 1);
    EXPECT_EQ(counts.answered[static_cast<std::size_t>(QuestionAnswer::retry)], 0);
    EXPECT_FALSE(report.open_question.has_value());
}

}  // namespace
}  // namespace zizuvu
