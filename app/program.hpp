#pragma once
// One run of the program: the session every part shares, and what the download side
// and the setup terminal each keep for the whole run. Created at start-up and passed
// by reference; no hidden globals, so every procedure can be driven by a test.

#include "download/download_procedures.hpp"
#include "session/session.hpp"
#include "terminal/transmit_queue.hpp"

namespace zizuvu {

struct Program {
    explicit Program(Console& console) : session(console) {}
    Program(Console& console, DownloadImage image) : session(console) { downloads.image = std::move(image); }

    Session session;
    Downloads downloads;
    TransmitStorage transmit_storage{};
};

}  // namespace zizuvu
