#pragma once
// The radio's end of the serial line: a pseudo-terminal whose far end the program
// opens as its port. The radio keeps the far end open itself, so the line's settings
// last from one opening of the port to the next, as a real serial port's do, and
// reads the line's speed from the port settings the program made.
//
//   RadioPty          the master, the radio's own hold on the far end, the far end's path
//   open_radio_pty    a new pseudo-terminal, raw, at 9600 baud as a port that nobody set up
//   close_radio_pty   the line goes away (as a USB adapter pulled out)
//   line_speed        the far end's speed in baud (what the program set)
//   publish_link      make (or move) a symbolic link to the far end; unpublish_link removes ours

#include <string>

namespace zizuvu::sim {

struct RadioPty {
    int master = -1;
    int far_end = -1;
    std::string path;
};

bool open_radio_pty(RadioPty& pty, std::string& why_not);
void close_radio_pty(RadioPty& pty);
int line_speed(const RadioPty& pty);

bool publish_link(const std::string& link, const std::string& target, std::string& why_not);
void unpublish_link(const std::string& link, const std::string& target);

}  // namespace zizuvu::sim
