#include <cstdio>

#include "app/command_line.hpp"
#include "app/main_menu.hpp"
#include "app/program.hpp"
#include "platform/console_device.hpp"

int main(int argc, char** argv) {
    using namespace zizuvu;
    switch (read_command_line(argc, argv)) {
    case CommandLineRequest::help:
        std::fputs(usage_text().c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLineRequest::version:
        std::fputs(version_text().c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLineRequest::usage_error:
        std::fputs(usage_text().c_str(), stderr);
        return 2;
    case CommandLineRequest::run:
        break;
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
