#include "platform/linux/readable_wait.hpp"

#include <poll.h>

#include <algorithm>
#include <array>
#include <climits>

#include "platform/linux/termination_signals.hpp"

namespace zizuvu {

void wait_for_readable(std::span<const int> fds, std::chrono::milliseconds limit) {
    if (termination_signal() != 0) return;
    constexpr std::size_t MOST = 16;
    std::array<pollfd, MOST + 1> watched{};
    nfds_t count = 0;
    watched[count++] = pollfd{signal_pipe_fd(), POLLIN, 0};
    for (int fd : fds) {
        if (fd >= 0 && count <= MOST) watched[count++] = pollfd{fd, POLLIN, 0};
    }
    const auto ms = std::clamp<std::chrono::milliseconds::rep>(limit.count(), 0, INT_MAX);
    poll(watched.data(), count, static_cast<int>(ms));
    take_signals();
}

}  // namespace zizuvu
