#pragma once
// The download rows of a records file as the program's own --history --json prints
// them, read back with Python's json, for end-to-end tests of the records.
//
//   history_rows     per row, newest first, the named fields joined by '|' (None for
//                    null); one line saying why when the history could not be had
//   stored_outcomes  the downloads' outcomes read straight from the file, oldest first,
//                    without the program (whose opening marks rows interrupted)

#include <string>
#include <vector>

namespace zizuvu::testing {

std::vector<std::string> history_rows(const std::string& records, const std::vector<std::string>& fields);
std::vector<std::string> stored_outcomes(const std::string& records);

}  // namespace zizuvu::testing
