#include "bench/lockstep_floor.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

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

void radio_side(int master, const ExchangeShape& shape, int data_bytes) {
    unsigned char buffer[8] = {};
    for (int i = 0; i < data_bytes; ++i) {
        if (!read_exactly(master, buffer, shape.address_out)) _exit(1);
        if (write(master, buffer, static_cast<std::size_t>(shape.echo_in)) != shape.echo_in) _exit(1);
        if (!read_exactly(master, buffer, shape.data_out)) _exit(1);
        if (write(master, buffer, static_cast<std::size_t>(shape.answer_in)) != shape.answer_in) _exit(1);
    }
    _exit(0);
}

}  // namespace

double lockstep_floor_us(const ExchangeShape& shape, int data_bytes) {
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
        radio_side(master, shape, data_bytes);
    }
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
    int status = 0;
    waitpid(radio, &status, 0);
    close(port);
    close(master);
    return seconds * 1e6 / data_bytes;
}

}  // namespace zizuvu::bench
