// What looking at the ports costs, for a status panel that refreshes them: nine
// ports that are all there (each one needs /proc/locks and every process's open
// files read) asked one by one and all at once, and the whole listing, on this
// machine as it is and with a few hundred more processes holding open files, as on
// a busy desktop. Nothing is opened but the benchmark's own pseudo-terminals.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "ports/port_listing.hpp"
#include "ports/port_state.hpp"
#include "tests/support/pty_pair.hpp"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int ROUNDS = 20;
constexpr int EXTRA_PROCESSES = 300;
constexpr int FILES_EACH = 30;

template <typename Work>
double milliseconds_per_round(Work work) {
    work();
    const auto start = Clock::now();
    for (int round = 0; round < ROUNDS; ++round) work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / ROUNDS;
}

void measure(const char* machine, const std::vector<zizuvu::NamedPort>& ports) {
    std::vector<std::string> paths;
    for (const zizuvu::NamedPort& port : ports) paths.push_back(port.path);
    const double one_by_one = milliseconds_per_round([&paths] {
        for (const std::string& path : paths) zizuvu::port_state(path);
    });
    const double at_once = milliseconds_per_round([&paths] { zizuvu::port_states(paths); });
    const double listing = milliseconds_per_round([&ports] { zizuvu::port_listing(ports); });
    std::printf("%s:\n  nine port states one by one %8.2f ms, all at once %8.2f ms, listing %8.2f ms\n", machine,
                one_by_one, at_once, listing);
}

// Idle children holding open files (pipes) until their release pipe closes.
std::vector<pid_t> start_idle_processes(int& release) {
    int ends[2];
    std::vector<pid_t> children;
    if (pipe(ends) != 0) return children;
    for (int n = 0; n < EXTRA_PROCESSES; ++n) {
        const pid_t child = fork();
        if (child == 0) {
            close(ends[1]);
            for (int f = 0; f < FILES_EACH / 2; ++f) {
                int held[2];
                if (pipe(held) != 0) break;
            }
            char byte = 0;
            while (read(ends[0], &byte, 1) > 0) {
            }
            _exit(0);
        }
        if (child > 0) children.push_back(child);
    }
    close(ends[0]);
    release = ends[1];
    return children;
}

}  // namespace

int main() {
    std::vector<zizuvu::testing::PtyPair> ptys(9);
    std::vector<zizuvu::NamedPort> ports;
    for (std::size_t n = 0; n < ptys.size(); ++n) {
        if (!ptys[n].ok()) {
            std::fprintf(stderr, "no pseudo-terminal\n");
            return 1;
        }
        ports.push_back({"Com" + std::to_string(n + 1), ptys[n].port_path()});
    }
    measure("this machine", ports);
    int release = -1;
    const std::vector<pid_t> children = start_idle_processes(release);
    const std::string busier = "with " + std::to_string(children.size()) + " more processes, " +
                               std::to_string(FILES_EACH) + " files each";
    measure(busier.c_str(), ports);
    close(release);
    for (const pid_t child : children) waitpid(child, nullptr, 0);
    return 0;
}
