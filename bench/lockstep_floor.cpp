#include "bench/lockstep_floor.hpp"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>

#include "platform/process_priority.hpp"

namespace zizuvu::bench {
namespace {

bool read_exactly(int fd, unsigned char* buffer, int count) {
    int got = 0;
    while (got < count) {
        const ssize_t n = read(fd, buffer + got, static_cast<std::size_t>(count - got));
        if (n <= 0) return false;
        got += static_cast<int>(n);
    }
    return true;
}

std::int64_t monotonic_ns() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

// As the simulated radio waits for an answer's time: asleep until shortly before it,
// then spinning, since a wake-up from sleep comes late by up to this much.
constexpr std::int64_t SPIN_NS = 150'000;

void wait_until(std::int64_t due_ns) {
    const std::int64_t asleep = due_ns - monotonic_ns() - SPIN_NS;
    if (asleep > 0) {
        const timespec time{static_cast<time_t>(asleep / 1'000'000'000LL), static_cast<long>(asleep % 1'000'000'000LL)};
        ppoll(nullptr, 0, &time, nullptr);
    }
    while (monotonic_ns() < due_ns) {
    }
}

// byte_ns 0: answer at once.
void radio_side(int master, const ExchangeShape& shape, std::int64_t byte_ns, int data_bytes) {
    unsigned char buffer[8] = {};
    for (int i = 0; i < data_bytes; ++i) {
        if (!read_exactly(master, buffer, shape.address_out)) _exit(1);
        if (byte_ns > 0) wait_until(monotonic_ns() + (shape.address_out + shape.echo_in) * byte_ns);
        if (write(master, buffer, static_cast<std::size_t>(shape.echo_in)) != shape.echo_in) _exit(1);
        if (!read_exactly(master, buffer, shape.data_out)) _exit(1);
        if (byte_ns > 0) wait_until(monotonic_ns() + (shape.data_out + shape.answer_in) * byte_ns);
        if (write(master, buffer, static_cast<std::size_t>(shape.answer_in)) != shape.answer_in) _exit(1);
    }
    _exit(0);
}

double exchange_us(const ExchangeShape& shape, std::int64_t byte_ns, int data_bytes, bool raised) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return -1;
    const int port = open(ptsname(master), O_RDWR | O_NOCTTY);
    termios raw{};
    tcgetattr(port, &raw);
    cfmakeraw(&raw);
    tcsetattr(port, TCSANOW, &raw);
    const pid_t radio = fork();
    if (radio == 0) {
        close(port);
        radio_side(master, shape, byte_ns, data_bytes);
    }
    // After the fork: only this side, as only the program raises itself.
    if (raised) set_process_priority(PriorityClass::raised);
    unsigned char out[8] = {0, 0x12, 0x34, 0x56};
    unsigned char in[8];
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < data_bytes; ++i) {
        if (write(port, out, static_cast<std::size_t>(shape.address_out)) != shape.address_out) break;
        if (!read_exactly(port, in, shape.echo_in)) break;
        if (write(port, out, static_cast<std::size_t>(shape.data_out)) != shape.data_out) break;
        if (!read_exactly(port, in, shape.answer_in)) break;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (raised) set_process_priority(PriorityClass::normal);
    int status = 0;
    waitpid(radio, &status, 0);
    close(port);
    close(master);
    return seconds * 1e6 / data_bytes;
}

}  // namespace

double lockstep_floor_us(const ExchangeShape& shape, int data_bytes, bool raised) {
    return exchange_us(shape, 0, data_bytes, raised);
}

double paced_lockstep_floor_us(const ExchangeShape& shape, int baud, int data_bytes, bool raised) {
    return exchange_us(shape, 10'000'000'000LL / baud, data_bytes, raised);
}

}  // namespace zizuvu::bench
