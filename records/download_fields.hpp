#pragma once
// How a download's compound fields are stored, and read back.
//
//   questions_json          {"wrong echo":{"P":2,"R":1}}: questions in the order first raised,
//                           each question and key counted once
//   QUESTION_ROWS_SQL       an expression that gives a row's stored questions as separated text
//   questions_from_rows     that text back to tallies
//   addresses_text          "1A2F 1A30": upper-case hex, blank-separated
//   addresses_from_text     back to numbers; what is not hex is skipped

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records/download_records.hpp"

namespace zizuvu {

std::string questions_json(const std::vector<QuestionTally>& tallies);

// Question, key and count joined by 0x1F, tallies by 0x1E; NULL when there are none.
// SQLite's own JSON reader takes the stored object apart, so that a damaged text
// reads as no tallies rather than failing the whole history.
inline constexpr const char* QUESTION_ROWS_SQL =
    "CASE WHEN questions IS NOT NULL THEN"
    " (SELECT group_concat(question.key || char(31) || answer.key || char(31) || answer.value, char(30))"
    " FROM json_each(CASE WHEN json_valid(questions) THEN questions END) AS question,"
    " json_each(question.value) AS answer) END";

std::vector<QuestionTally> questions_from_rows(std::string_view rows);

std::string addresses_text(const std::vector<std::uint32_t>& addresses);
std::vector<std::uint32_t> addresses_from_text(std::string_view text);

}  // namespace zizuvu
