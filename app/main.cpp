#include <cstdio>

#include "app/main_menu.hpp"
#include "app/program.hpp"
#include "app/program_version.hpp"
#include "app/run_actions.hpp"
#include "app/run_settings.hpp"
#include "platform/console_device.hpp"
#include "settings/exit_status.hpp"

namespace {

using namespace zizuvu;

int print_and_end(const std::string& text, std::FILE* stream, int status) {
    std::fputs(text.c_str(), stream);
    return std::fflush(stream) == 0 ? status : 1;
}

PortSettings starting_port_settings(const RunSettings& settings) {
    PortSettings port_settings;
    port_settings.port_name = "Com" + std::to_string(settings.port);
    port_settings.baud_rate = static_cast<std::int32_t>(settings.baud);
    return port_settings;
}

// The menu on the operator's terminal, until Escape there.
int run_menu(const RunSettings& settings, DownloadImage image) {
    std::string why_not;
    std::unique_ptr<ConsoleIo> device = take_over_console(why_not);
    if (!device) {
        std::fprintf(stderr, "zizuvu: %s\n", why_not.c_str());
        return 1;
    }
    {
        Console console(*device);
        Program program(console, std::move(image));
        keep_records(program, settings.records);
        program.terminal.capture =
            CaptureOptions{settings.capture.folder.value_or(""), settings.capture.timestamps, settings.capture.keys};
        start_up(program, starting_port_settings(settings));
        run_main_menu(program);
    }
    device.reset();
    end_as_termination_asked();
    return EXIT_DONE;
}

}  // namespace

int main(int argc, char** argv) {
    const ParsedCommandLine parsed = parse_command_line(argc, argv, PROGRAM_VERSION);
    switch (parsed.action) {
        case CommandAction::help:
        case CommandAction::version: return print_and_end(parsed.output, stdout, parsed.exit_status);
        case CommandAction::usage_error: return print_and_end(parsed.output, stderr, parsed.exit_status);
        default: break;
    }
    std::string problem;
    const std::optional<RunSettings> settings = settings_for_run(parsed, process_environment(), problem);
    if (!settings) return print_and_end("zizuvu: " + problem + "\n", stderr, EXIT_USAGE);
    name_port_devices(port_devices(*settings));
    switch (settings->action) {
        case CommandAction::check: return check_image(*settings);
        case CommandAction::list: return list_ports(*settings);
        case CommandAction::history: return print_history(*settings);
        default: break;
    }
    std::optional<DownloadImage> image = image_for_run(*settings, problem);
    if (!image) return print_and_end("zizuvu: " + problem + "\n", stderr, EXIT_USAGE);
    if (settings->action == CommandAction::flash) return flash_radios(*settings, std::move(*image));
    return run_menu(*settings, std::move(*image));
}
