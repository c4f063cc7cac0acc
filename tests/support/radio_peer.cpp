#include "tests/support/radio_peer.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <sstream>

#include "tests/support/run_command.hpp"

namespace zizuvu::testing {
namespace {

using Clock = std::chrono::steady_clock;

int left_ms(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

speed_t speed_code(int baud) {
    switch (baud) {
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        default: return B0;
    }
}

}  // namespace

std::unique_ptr<RadioProcess> RadioProcess::start(const std::string& dir, const std::vector<std::string>& arguments,
                                                  bool with_log) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return nullptr;
    std::vector<std::string> strings = {ZIZUVU_RADIO_EXECUTABLE, "--dump", dir + "/radio.hex"};
    if (with_log) {
        strings.push_back("--log");
        strings.push_back(dir + "/radio.log");
    }
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);
    const std::string errors = dir + "/radio.err";
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(err, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    if (pid < 0) {
        close(out[0]);
        return nullptr;
    }
    std::unique_ptr<RadioProcess> radio(new RadioProcess(pid, out[0], dir));
    radio->path_ = radio->read_line(std::chrono::seconds(10));
    if (radio->path_.empty()) return nullptr;
    return radio;
}

RadioProcess::~RadioProcess() {
    if (!exited_) {
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    close(out_);
}

std::string RadioProcess::read_line(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    for (;;) {
        const std::size_t newline = pending_.find('\n');
        if (newline != std::string::npos) {
            std::string line = pending_.substr(0, newline);
            pending_.erase(0, newline + 1);
            return line;
        }
        pollfd in{out_, POLLIN, 0};
        if (poll(&in, 1, left_ms(end)) <= 0) return "";
        char buffer[256];
        const ssize_t got = ::read(out_, buffer, sizeof buffer);
        if (got <= 0) return "";
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
}

std::string RadioProcess::next_path(std::chrono::milliseconds limit) { return read_line(limit); }

void RadioProcess::signal(int signal_number) { kill(pid_, signal_number); }

std::optional<int> RadioProcess::stop(std::chrono::milliseconds limit) {
    kill(pid_, SIGTERM);
    const auto end = Clock::now() + limit;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) != pid_) {
        if (Clock::now() >= end) return std::nullopt;
        usleep(5000);
    }
    exited_ = true;
    if (!WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
}

std::string RadioProcess::errors() const { return read_file(dir_ + "/radio.err"); }

std::string RadioProcess::dump() const { return read_file(dump_path()); }

std::vector<WireLogLine> read_wire_log(const std::string& path) {
    std::vector<WireLogLine> lines;
    std::string contents = read_file(path);
    // The radio may be writing the log as it is read: a last line without its newline is
    // still being written and is left for the next read.
    const std::size_t last_newline = contents.rfind('\n');
    contents.resize(last_newline == std::string::npos ? 0 : last_newline + 1);
    std::istringstream in(contents);
    std::string text;
    while (std::getline(in, text)) {
        std::istringstream fields(text);
        WireLogLine line;
        std::string kind;
        fields >> line.microseconds >> kind;
        if (kind == "#") {
            line.note = true;
            std::getline(fields, line.text);
            if (!line.text.empty() && line.text.front() == ' ') line.text.erase(0, 1);
        } else {
            std::string byte;
            line.sent = kind == "out";
            fields >> byte >> line.baud;
            line.byte = static_cast<int>(std::stoul(byte, nullptr, 16));
        }
        lines.push_back(line);
    }
    return lines;
}

SerialPeer::SerialPeer(const std::string& path, int baud) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) return;
    termios mode{};
    tcgetattr(fd_, &mode);
    cfmakeraw(&mode);
    mode.c_cflag |= CLOCAL | CREAD;
    tcsetattr(fd_, TCSANOW, &mode);
    set_speed(baud);
}

SerialPeer::~SerialPeer() {
    if (fd_ >= 0) close(fd_);
}

void SerialPeer::set_speed(int baud) {
    termios mode{};
    tcgetattr(fd_, &mode);
    cfsetispeed(&mode, speed_code(baud));
    cfsetospeed(&mode, speed_code(baud));
    tcsetattr(fd_, TCSANOW, &mode);
}

void SerialPeer::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd_, bytes.data(), bytes.size());
        if (written <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::string SerialPeer::read(std::size_t count, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    std::string got;
    while (got.size() < count) {
        pollfd in{fd_, POLLIN, 0};
        if (poll(&in, 1, left_ms(end)) <= 0 || (in.revents & POLLIN) == 0) break;
        char buffer[512];
        const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - got.size()));
        if (n <= 0) break;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

std::string SerialPeer::read_for(std::chrono::milliseconds period) {
    const auto end = Clock::now() + period;
    std::string got;
    for (;;) {
        pollfd in{fd_, POLLIN, 0};
        if (poll(&in, 1, left_ms(end)) <= 0 || (in.revents & POLLIN) == 0) return got;
        char buffer[512];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) return got;
        got.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string SerialPeer::read_until(std::string_view text, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    std::string got;
    while (got.find(text) == std::string::npos) {
        const std::string more = read_for(std::chrono::milliseconds(std::min(left_ms(end), 20)));
        got += more;
        if (left_ms(end) == 0) break;
    }
    return got;
}

bool SerialPeer::hung_up(std::chrono::milliseconds limit) {
    pollfd in{fd_, POLLIN, 0};
    if (poll(&in, 1, static_cast<int>(limit.count())) <= 0) return false;
    if (in.revents & (POLLHUP | POLLERR)) return true;
    char byte;
    return ::read(fd_, &byte, 1) < 0 && errno == EIO;
}

}  // namespace zizuvu::testing
