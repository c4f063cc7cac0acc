// How long the program takes at start to load and check a firmware image given with
// --image: the Intel HEX read, every rule the build applies, the walk's byte count and
// its CRC-32. A 64 KB image fills the radio's whole address space.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "download/download_image.hpp"
#include "download/intel_hex.hpp"
#include "tests/support/run_command.hpp"

int main() {
    using Clock = std::chrono::steady_clock;
    zizuvu::testing::TempDir dir;
    std::string hex;
    for (unsigned address = 0; address < 0x10000; address += 16) {
        std::uint8_t data[16];
        for (unsigned i = 0; i < 16; ++i) data[i] = static_cast<std::uint8_t>((address + i) * 7 + 3);
        hex += zizuvu::intel_hex_data_line(static_cast<std::uint16_t>(address), data, 16) + "\n";
    }
    hex += std::string(zizuvu::INTEL_HEX_END_LINE) + "\n";
    const std::string path = dir.file("full.hex");
    zizuvu::testing::write_file(path, hex);

    std::vector<double> milliseconds;
    long bytes = 0;
    for (int round = 0; round < 21; ++round) {
        const auto start = Clock::now();
        const zizuvu::ImageLoading loading = zizuvu::load_image_file(path);
        milliseconds.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!loading.image) {
            std::fprintf(stderr, "refused: %s\n", loading.refusal.c_str());
            return 1;
        }
        bytes = loading.image->bytes_to_send;
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("load and check a 64 KB image (%zu bytes of HEX, %ld bytes sent): median %.2f ms, worst %.2f ms"
                " (target: under 50 ms)\n",
                hex.size(), bytes, milliseconds[milliseconds.size() / 2], milliseconds.back());
    return 0;
}
