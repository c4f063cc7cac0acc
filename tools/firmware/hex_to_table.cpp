// The build step that compiles the firmware image in: reads an Intel HEX file, checks
// it against every rule of the image table and writes the table's C++ source.
// A bad image stops the build with "file:line: reason".
//
//   zizuvu_hex_to_table IMAGE.hex OUTPUT.cpp

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "download/image_table.hpp"
#include "download/intel_hex.hpp"

namespace {

int refuse(const std::string& image, const zizuvu::HexFault& fault) {
    std::fprintf(stderr, "%s:%d: %s\n", image.c_str(), fault.line, fault.reason.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IMAGE.hex OUTPUT.cpp\n", argv[0]);
        return 2;
    }
    const std::string image = argv[1];
    const std::string output = argv[2];
    std::ifstream in(image, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read the firmware image\n", image.c_str());
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const zizuvu::ImageReading reading = zizuvu::read_image_records(text.str());
    if (reading.fault) return refuse(image, *reading.fault);
    if (auto fault = zizuvu::check_table_walk(reading.records)) return refuse(image, *fault);

    const std::string name = image.substr(image.find_last_of('/') + 1);
    // Written aside and renamed, so a build never picks up half a table.
    const std::string partial = output + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << zizuvu::table_source(reading.records, name);
        if (!out) {
            std::fprintf(stderr, "%s: cannot write\n", partial.c_str());
            return 1;
        }
    }
    // Windows renames only onto a name that is free: the old table goes first there.
    if (std::rename(partial.c_str(), output.c_str()) != 0 &&
        (std::remove(output.c_str()) != 0 || std::rename(partial.c_str(), output.c_str()) != 0)) {
        std::fprintf(stderr, "%s: cannot write\n", output.c_str());
        return 1;
    }
    return 0;
}
