#include "platform/linux/child_processes.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <system_error>

#include "platform/linux/termination_signals.hpp"

namespace zizuvu {
namespace {

sigset_t terminating_signals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGTERM, SIGHUP, SIGINT, SIGQUIT}) sigaddset(&set, s);
    return set;
}

}  // namespace

std::optional<ChildProcess> start_child(const std::function<int(int to_parent)>& work, std::string& why_not) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        why_not = std::string("no pipe for a child process: ") + std::generic_category().message(errno);
        return std::nullopt;
    }
    // What the parent has buffered would otherwise be written twice.
    std::fflush(nullptr);
    const sigset_t held = terminating_signals();
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &held, &before);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        int status = 1;
        if (start_signals_afresh()) {
            pthread_sigmask(SIG_SETMASK, &before, nullptr);
            status = work(fds[1]);
        }
        close(fds[1]);
        std::fflush(nullptr);
        // Nothing of the parent's (its exit handlers, its buffers) runs in the child.
        _exit(status);
    }
    const int fork_error = errno;
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        why_not = std::string("no child process: ") + std::generic_category().message(fork_error);
        return std::nullopt;
    }
    fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    return ChildProcess{pid, fds[0]};
}

bool read_from_child(ChildProcess& child, std::string& into) {
    if (child.from_child < 0) return false;
    char bytes[4096];
    for (;;) {
        const ssize_t got = read(child.from_child, bytes, sizeof bytes);
        if (got > 0) {
            into.append(bytes, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) return true;
        close(child.from_child);
        child.from_child = -1;
        return false;
    }
}

int end_of_child(int pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return 1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 1;
}

void ask_child_to_end(int pid) {
    if (pid > 0) kill(pid, SIGTERM);
}

void tell_parent(int to_parent, std::string_view text) {
    while (!text.empty()) {
        const ssize_t wrote = write(to_parent, text.data(), text.size());
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(wrote));
    }
}

}  // namespace zizuvu
