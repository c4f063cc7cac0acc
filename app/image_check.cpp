#include <cstdio>

#include "app/run_actions.hpp"
#include "app/run_settings.hpp"
#include "settings/exit_status.hpp"

namespace zizuvu {

int check_image(const RunSettings& settings) {
    std::string problem;
    const std::optional<DownloadImage> image = image_for_run(settings, problem);
    if (!image) {
        std::fprintf(stderr, "zizuvu: %s\n", problem.c_str());
        return EXIT_USAGE;
    }
    const std::string name = image->built_in ? "built-in (" + image->name + ")" : image->name;
    // The CRC-32 as the crc32 tools print it (lower case), over the very bytes the
    // downloads send, in the order they send them.
    std::printf("image    %s\nrecords  %d\nbytes    %ld (what a download sends)\ncrc32    %08x\n", name.c_str(),
                image->table.record_count, image->bytes_to_send, image->crc32);
    return std::fflush(stdout) == 0 ? EXIT_DONE : 1;
}

}  // namespace zizuvu
