#include "bench/terminal_session.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace zizuvu::bench {

std::unique_ptr<testing::PtyProcess> start_setup_terminal(const testing::PtyPair& line) {
    using namespace std::chrono_literals;
    for (int n = 2; n <= 9; ++n) setenv(("ZIZUVU_COM" + std::to_string(n)).c_str(), "/nonexistent/zizuvu-bench", 1);
    auto program = testing::PtyProcess::start({ZIZUVU_EXECUTABLE}, {"ZIZUVU_COM1=" + line.port_path()});
    if (!program || !program->wait_for_text("End program", 10s)) {
        std::fprintf(stderr, "the program did not show its menu\n");
        return nullptr;
    }
    program->send("2");
    if (!program->wait_for_text("Varnello Radio Setup Screen", 10s)) {
        std::fprintf(stderr, "the program did not show its setup terminal\n");
        return nullptr;
    }
    program->drain_for(100ms);
    return program;
}

bool write_all(int fd, std::string_view bytes, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!bytes.empty()) {
        pollfd out{fd, POLLOUT, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || poll(&out, 1, static_cast<int>(left.count())) <= 0) return false;
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno != EAGAIN && errno != EINTR) return false;
        if (written > 0) bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace zizuvu::bench
