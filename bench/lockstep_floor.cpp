#include "bench/lockstep_floor.hpp"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "platform/process_priority.hpp"
#include "sim/wire_log.hpp"

namespace zizuvu::bench {
namespace {

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
    while (monotonic_ns() < due_ns) {}
}

struct RadioSide {
    int master;
    int baud;
    sim::WireLog log;
};

// One frame as the simulated radio takes it: a wake-up from ppoll per read, each byte
// logged at its read, the log flushed once per wake-up. The time of the last read.
bool read_frame(RadioSide& radio, unsigned char* buffer, int count, std::int64_t& read_at) {
    int got = 0;
    while (got < count) {
        pollfd line{radio.master, POLLIN, 0};
        if (ppoll(&line, 1, nullptr, nullptr) < 0 && errno != EINTR) return false;
        const ssize_t n = read(radio.master, buffer + got, static_cast<std::size_t>(count - got));
        if (n <= 0) return false;
        read_at = monotonic_ns();
        for (ssize_t i = 0; i < n; ++i) sim::log_byte(radio.log, read_at, false, buffer[got + i], radio.baud);
        sim::flush_wire_log(radio.log);
        got += static_cast<int>(n);
    }
    return true;
}

bool answer(RadioSide& radio, const unsigned char* bytes, int count) {
    if (write(radio.master, bytes, static_cast<std::size_t>(count)) != count) return false;
    const std::int64_t at = monotonic_ns();
    for (int i = 0; i < count; ++i) sim::log_byte(radio.log, at, true, bytes[i], radio.baud);
    sim::flush_wire_log(radio.log);
    return true;
}

// The address echo of the older radios, as the simulated radio paces it: each echo
// byte written once its address byte has arrived and the echo byte itself has crossed.
bool echo_each_byte(RadioSide& radio, const unsigned char* bytes, int count, std::int64_t read_at,
                    std::int64_t byte_ns) {
    if (byte_ns == 0) return answer(radio, bytes, count);
    for (int i = 0; i < count; ++i) {
        wait_until(read_at + (i + 2) * byte_ns);
        if (!answer(radio, bytes + i, 1)) return false;
    }
    return true;
}

bool answer_address(RadioSide& radio, const ExchangeShape& shape, const unsigned char* bytes, std::int64_t read_at,
                    std::int64_t byte_ns) {
    if (shape.echo_each_address_byte) return echo_each_byte(radio, bytes, shape.echo_in, read_at, byte_ns);
    if (byte_ns > 0) wait_until(read_at + (shape.address_out + shape.echo_in) * byte_ns);
    return answer(radio, bytes, shape.echo_in);
}

[[noreturn]] void radio_side(int master, const ExchangeSetup& setup) {
    RadioSide radio{master, setup.baud, {}};
    if (!setup.wire_log.empty() && !sim::open_wire_log(radio.log, setup.wire_log)) _exit(2);
    const ExchangeShape& shape = setup.shape;
    const std::int64_t byte_ns = setup.baud > 0 ? 10'000'000'000LL / setup.baud : 0;
    unsigned char buffer[8] = {};
    std::int64_t read_at = 0;
    bool ok = true;
    for (long i = 0; ok && i < setup.data_bytes; ++i) {
        ok = read_frame(radio, buffer, shape.address_out, read_at) &&
             answer_address(radio, shape, buffer, read_at, byte_ns) &&
             read_frame(radio, buffer, shape.data_out, read_at);
        if (ok && byte_ns > 0) wait_until(read_at + (shape.data_out + shape.answer_in) * byte_ns);
        ok = ok && answer(radio, buffer, shape.answer_in);
    }
    sim::close_wire_log(radio.log);
    // Its end of the line closing would hang up the port and throw away the last answer
    // unread: it stays until the program's side has closed the port.
    while (ok && read(master, buffer, sizeof buffer) > 0) {}
    _exit(ok ? 0 : 1);
}

bool read_exactly(int fd, unsigned char* buffer, int count) {
    int got = 0;
    while (got < count) {
        const ssize_t n = read(fd, buffer + got, static_cast<std::size_t>(count - got));
        if (n <= 0) return false;
        got += static_cast<int>(n);
    }
    return true;
}

// The program's side: the fastest a program can take part, blocking on every answer.
bool program_side(int port, const ExchangeShape& shape, long data_bytes) {
    const unsigned char out[8] = {0, 0x12, 0x34, 0x56};
    unsigned char in[8];
    for (long i = 0; i < data_bytes; ++i) {
        if (write(port, out, static_cast<std::size_t>(shape.address_out)) != shape.address_out) return false;
        if (!read_exactly(port, in, shape.echo_in)) return false;
        if (write(port, out, static_cast<std::size_t>(shape.data_out)) != shape.data_out) return false;
        if (!read_exactly(port, in, shape.answer_in)) return false;
    }
    return true;
}

// This process's processor time so far; the radio's side, forked, has its own.
double process_processor_seconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

ExchangeRun failed(const std::string& what) { return {false, what + ": " + std::strerror(errno), 0}; }

// The port side open in raw mode, or -1.
int open_port_side(int master) {
    if (grantpt(master) != 0 || unlockpt(master) != 0) return -1;
    const int port = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (port < 0) return -1;
    termios raw{};
    tcgetattr(port, &raw);
    cfmakeraw(&raw);
    tcsetattr(port, TCSANOW, &raw);
    return port;
}

ExchangeRun result(bool through, int status, const ExchangeSetup& setup, double seconds) {
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2)
        return {false, "the radio's side cannot write " + setup.wire_log, 0};
    if (!through) return {false, "the exchange stopped before its last data byte", 0};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {false, "the radio's side failed", 0};
    return {true, "", seconds};
}

}  // namespace

int wire_byte_times(const ExchangeShape& shape) {
    const int address = shape.echo_each_address_byte ? shape.address_out + 1 : shape.address_out + shape.echo_in;
    return address + shape.data_out + shape.answer_in;
}

ExchangeRun run_lockstep_exchange(const ExchangeSetup& setup) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) return failed("cannot open a pseudo-terminal");
    const int port = open_port_side(master);
    if (port < 0) {
        const ExchangeRun run = failed("cannot open the pseudo-terminal's port side");
        close(master);
        return run;
    }
    const pid_t radio = fork();
    if (radio == 0) {
        close(port);
        radio_side(master, setup);
    }
    if (radio < 0) {
        const ExchangeRun run = failed("cannot start the radio's side");
        close(port);
        close(master);
        return run;
    }
    // Only the radio's side holds the line's far end: if it ends early, the program's
    // side reads the hang-up instead of waiting for ever.
    close(master);
    // After the fork: only this side, as only the program raises itself.
    if (setup.raised) set_process_priority(PriorityClass::raised);
    const double processor_before = process_processor_seconds();
    const auto start = std::chrono::steady_clock::now();
    const bool through = program_side(port, setup.shape, setup.data_bytes);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double processor_seconds = process_processor_seconds() - processor_before;
    if (setup.raised) set_process_priority(PriorityClass::normal);
    // A program's side that stopped early leaves the radio's side waiting: the hang-up ends it.
    close(port);
    int status = 0;
    waitpid(radio, &status, 0);
    ExchangeRun run = result(through, status, setup, seconds);
    run.processor_seconds = processor_seconds;
    return run;
}

}  // namespace zizuvu::bench
