#include "tests/support/history_rows.hpp"

#include <sstream>

#include "tests/support/run_command.hpp"

namespace zizuvu::testing {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

std::vector<std::string> history_rows(const std::string& records, const std::vector<std::string>& fields) {
    const CommandResult json = run_command({ZIZUVU_EXECUTABLE, "--history", "--json", "--records", records});
    if (json.exit_code != 0) return {"history failed: " + json.err};
    const char* script =
        "import json, sys\n"
        "for line in sys.argv[1].splitlines():\n"
        "    if line.strip():\n"
        "        row = json.loads(line)\n"
        "        print('|'.join(str(row[name]) for name in sys.argv[2:]))\n";
    std::vector<std::string> arguments = {"/usr/bin/python3", "-c", script, json.out};
    arguments.insert(arguments.end(), fields.begin(), fields.end());
    const CommandResult python = run_command(arguments);
    if (python.exit_code != 0) return {"python: " + python.err};
    return lines_of(python.out);
}

std::vector<std::string> stored_outcomes(const std::string& records) {
    const char* script =
        "import sqlite3, sys\n"
        "db = sqlite3.connect('file:' + sys.argv[1] + '?mode=ro', uri=True)\n"
        "for (outcome,) in db.execute('SELECT outcome FROM downloads ORDER BY id'):\n"
        "    print(outcome)\n";
    const CommandResult python = run_command({"/usr/bin/python3", "-c", script, records});
    if (python.exit_code != 0) return {"python: " + python.err};
    return lines_of(python.out);
}

}  // namespace zizuvu::testing
