#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <mutex>

#include "platform/process_priority.hpp"

namespace zizuvu {
namespace {

// Below the interrupt threads of a real-time kernel (they run at 50), so the
// serial port's own interrupt handling is never held up by the exchange it serves.
constexpr int FIFO_PRIORITY = 10;
constexpr int BEST_NICE = -20;

struct SavedPriority {
    std::mutex lock;
    bool raised = false;
    int nice = 0;
    int wake_latency_request = -1;
};

SavedPriority& saved_priority() {
    static SavedPriority saved;
    return saved;
}

bool raise_to_real_time() {
    struct rlimit limit {};
    int priority = FIFO_PRIORITY;
    // An unprivileged user may go as high as RLIMIT_RTPRIO allows; root ignores it.
    if (getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur > 0) {
        priority = std::min<int>(priority, static_cast<int>(limit.rlim_cur));
    }
    const sched_param parameters{priority};
    // Children (none are started during a download) never inherit real time.
    return sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &parameters) == 0;
}

void raise_niceness(int current) {
    if (setpriority(PRIO_PROCESS, 0, BEST_NICE) == 0) return;
    // Without privilege, RLIMIT_NICE says how far down the niceness may go: 20 - limit.
    struct rlimit limit {};
    if (getrlimit(RLIMIT_NICE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return;
    const int floor = 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40));
    if (floor < current) setpriority(PRIO_PROCESS, 0, floor);
}

// A lock-step exchange sleeps twice per data byte, so every wake-up of a processor
// from idle is paid twice per byte, as a USB adapter's latency is. While an image is
// sent, ask the kernel to keep processors out of idle states that are slow to leave.
// Only root may; the request lasts while the file is open, so it also ends with the
// process.
int request_fast_wake_ups() {
    const int request = open("/dev/cpu_dma_latency", O_WRONLY | O_CLOEXEC);
    if (request < 0) return -1;
    const std::int32_t microseconds = 0;
    if (write(request, &microseconds, sizeof microseconds) != static_cast<ssize_t>(sizeof microseconds)) {
        close(request);
        return -1;
    }
    return request;
}

void back_to_normal(int nice) {
    const sched_param parameters{0};
    // Only a privileged thread may drop SCHED_RESET_ON_FORK, so keep it: on the
    // normal policy it only keeps children from inheriting a raised niceness.
    if (sched_setscheduler(0, SCHED_OTHER | SCHED_RESET_ON_FORK, &parameters) != 0) {
        sched_setscheduler(0, SCHED_OTHER, &parameters);
    }
    setpriority(PRIO_PROCESS, 0, nice);
}

}  // namespace

void set_process_priority(PriorityClass priority) {
    SavedPriority& saved = saved_priority();
    const std::lock_guard lock(saved.lock);
    const int saved_errno = errno;
    if (priority == PriorityClass::raised && !saved.raised) {
        errno = 0;
        const int nice = getpriority(PRIO_PROCESS, 0);
        saved.nice = errno == 0 ? nice : 0;
        if (!raise_to_real_time()) raise_niceness(saved.nice);
        saved.raised = true;
    } else if (priority == PriorityClass::normal && saved.raised) {
        back_to_normal(saved.nice);
        saved.raised = false;
    }
    errno = saved_errno;
}

void keep_processors_awake(bool keep) {
    SavedPriority& saved = saved_priority();
    const std::lock_guard lock(saved.lock);
    const int saved_errno = errno;
    if (keep && saved.wake_latency_request < 0) {
        saved.wake_latency_request = request_fast_wake_ups();
    } else if (!keep && saved.wake_latency_request >= 0) {
        close(saved.wake_latency_request);
        saved.wake_latency_request = -1;
    }
    errno = saved_errno;
}

}  // namespace zizuvu
