// Opens a port as the program's channel in a process of its own, for the tests of
// exclusive use: prints the error number of the open and, with "hold", keeps the
// port until its standard input is closed.
//
//   port_holder <port name> try|hold
#include <unistd.h>

#include <cstdio>
#include <string_view>

#include "serial/serial_channel.hpp"

int main(int argc, char** argv) {
    using namespace zizuvu;
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <port name> try|hold\n", argv[0]);
        return 2;
    }
    ErrorState errors;
    ChannelTable table(errors);
    open_channel(table, argv[1], PORT_CHANNEL);
    std::printf("%d\n", error_number(errors));
    std::fflush(stdout);
    if (std::string_view(argv[2]) == "hold") {
        char byte = 0;
        while (read(STDIN_FILENO, &byte, 1) > 0) {
        }
    }
    close_all_channels(table);
    return 0;
}
