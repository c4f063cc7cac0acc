#include "platform/linux/readable_wait.hpp"

#include <poll.h>

#include <algorithm>
#include <array>
#include <climits>

#include "platform/linux/termination_signals.hpp"

namespace zizuvu {

bool wait_for_readable(std::span<const int> fds, std::chrono::milliseconds limit) {
    if (termination_signal() != 0) return false;
    constexpr std::size_t MOST = 16;
    std::array<pollfd, MOST + 1> watched{};
    nfds_t count = 0;
    watched[count++] = pollfd{signal_pipe_fd(), POLLIN, 0};
    for (int fd : fds) {
        if (fd >= 0 && count < watched.size()) watched[count++] = pollfd{fd, POLLIN, 0};
    }
    const auto ms = std::clamp<std::chrono::milliseconds::rep>(limit.count(), 0, INT_MAX);
    const bool ready = poll(watched.data(), count, static_cast<int>(ms)) > 0 &&
                       std::any_of(watched.begin() + 1, watched.begin() + static_cast<std::ptrdiff_t>(count),
                                   [](const pollfd& p) { return p.revents != 0; });
    take_signals();
    return ready;
}

}  // namespace zizuvu
