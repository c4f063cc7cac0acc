#include "sim/radio_pty.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

namespace zizuvu::sim {
namespace {

struct SpeedName {
    speed_t code;
    int baud;
};

constexpr SpeedName SPEEDS[] = {
    {B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},         {B150, 150},
    {B200, 200},       {B300, 300},       {B600, 600},       {B1200, 1200},       {B1800, 1800},
    {B2400, 2400},     {B4800, 4800},     {B9600, 9600},     {B19200, 19200},     {B38400, 38400},
    {B57600, 57600},   {B115200, 115200}, {B230400, 230400}, {B460800, 460800},   {B500000, 500000},
    {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000}, {B2000000, 2000000}, {B4000000, 4000000},
};

}  // namespace

bool open_radio_pty(RadioPty& pty, std::string& why_not) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        why_not = std::string("cannot make a pseudo-terminal: ") + std::generic_category().message(errno);
        if (master >= 0) close(master);
        return false;
    }
    char name[PATH_MAX];
    if (ptsname_r(master, name, sizeof name) != 0) {
        why_not = std::string("cannot name the pseudo-terminal: ") + std::generic_category().message(errno);
        close(master);
        return false;
    }
    const int far_end = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (far_end < 0) {
        why_not = std::string("cannot open ") + name + ": " + std::generic_category().message(errno);
        close(master);
        return false;
    }
    termios mode{};
    tcgetattr(far_end, &mode);
    cfmakeraw(&mode);
    mode.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&mode, B9600);
    cfsetospeed(&mode, B9600);
    tcsetattr(far_end, TCSANOW, &mode);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    pty = RadioPty{master, far_end, name};
    return true;
}

void close_radio_pty(RadioPty& pty) {
    if (pty.master >= 0) close(pty.master);
    if (pty.far_end >= 0) close(pty.far_end);
    pty = RadioPty{};
}

int line_speed(const RadioPty& pty) {
    termios mode{};
    // On the master this reads the far end's settings: the speed the program chose.
    if (tcgetattr(pty.master, &mode) != 0) return 0;
    const speed_t code = cfgetospeed(&mode);
    for (const SpeedName& s : SPEEDS) {
        if (s.code == code) return s.baud;
    }
    return 0;
}

bool publish_link(const std::string& link, const std::string& target, std::string& why_not) {
    struct stat existing {};
    if (lstat(link.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        why_not = link + " exists and is not a symbolic link; it is left alone";
        return false;
    }
    // A new link beside the old one, renamed over it: the path never goes missing.
    const std::string fresh = link + ".new" + std::to_string(getpid());
    unlink(fresh.c_str());
    if (symlink(target.c_str(), fresh.c_str()) != 0 || rename(fresh.c_str(), link.c_str()) != 0) {
        why_not = "cannot make the link " + link + ": " + std::generic_category().message(errno);
        unlink(fresh.c_str());
        return false;
    }
    return true;
}

void unpublish_link(const std::string& link, const std::string& target) {
    char points_to[PATH_MAX];
    const ssize_t length = readlink(link.c_str(), points_to, sizeof points_to - 1);
    if (length <= 0) return;
    points_to[length] = '\0';
    if (target == points_to) unlink(link.c_str());
}

}  // namespace zizuvu::sim
