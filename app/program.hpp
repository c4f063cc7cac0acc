#pragma once
// One run of the program: the session every part shares, what the download side and
// the setup terminal each keep for the whole run, and the service records. Created at
// start-up and passed by reference; no hidden globals, so every procedure can be
// driven by a test. The records are kept only once keep_records has opened them.

#include <optional>
#include <string>

#include "app/bench_records.hpp"
#include "download/download_procedures.hpp"
#include "session/session.hpp"
#include "terminal/setup_terminal.hpp"

namespace zizuvu {

struct Program {
    explicit Program(Console& console) : session(console) {}
    Program(Console& console, DownloadImage image) : session(console) { downloads.image = std::move(image); }

    Session session;
    Downloads downloads;
    Terminal terminal;
    BenchRecords records{session, downloads};
};

// Opens the records (the file given, else the default one) and has every download and
// terminal session told to them; a file that cannot be had is said on the panel.
void keep_records(Program& program, const std::optional<std::string>& path);

}  // namespace zizuvu
