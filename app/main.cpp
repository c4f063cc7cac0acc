#include <cstdio>

#include "app/main_menu.hpp"
#include "app/program.hpp"
#include "platform/console_device.hpp"

int main(int argc, char** argv) {
    using namespace zizuvu;
    if (argc > 1) {
        std::fprintf(stderr, "usage: %s\n  takes no arguments; everything is chosen from its menu\n", argv[0]);
        return 2;
    }
    std::string why_not;
    std::unique_ptr<ConsoleIo> device = take_over_console(why_not);
    if (!device) {
        std::fprintf(stderr, "zizuvu: %s\n", why_not.c_str());
        return 1;
    }
    {
        Console console(*device);
        Program program(console);
        start_up(program);
        run_main_menu(program);
    }
    device.reset();
    end_as_termination_asked();
    return 0;
}
