// Makes firmware/radio.hex, the sample image bundled with the program: not firmware
// for any radio, but an image with every property the downloads rely on, made the
// same way on every machine (no clock, no system random source).
//
//   zizuvu_make_sample_image OUTPUT.hex
//
// What it holds, in file order:
//   0x0000  register defaults, below 0x1000: counted by the downloads, never sent
//   0x1000  code, in segments with gaps between them, 16-byte records with short ones
//           at segment ends
//   0x0800  boot parameters, below 0x1000 again and out of address order
//   0xE000  text and tables, a one-byte record after them
//   0xFFD0  the loader's own record: counted, never sent
//   0xFFE0  vectors; the last record ends at 0xFFFF and is the only sent one that does

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "download/image_table.hpp"
#include "download/intel_hex.hpp"

namespace {

constexpr int RECORD_TOTAL = 3016;

struct Segment {
    std::uint16_t start;
    std::vector<std::uint8_t> bytes;
};

// xorshift32 with a fixed seed: the same image on every machine.
struct Sequence {
    std::uint32_t state = 0x5EED1234U;
    std::uint32_t next() {
        state ^= state << 13U;
        state ^= state >> 17U;
        state ^= state << 5U;
        return state;
    }
    std::uint8_t byte() { return static_cast<std::uint8_t>(next() >> 24U); }
};

int records_of(const Segment& s) { return static_cast<int>((s.bytes.size() + 15) / 16); }

std::vector<std::uint8_t> code_bytes(Sequence& random, std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    for (auto& b : bytes) b = random.byte();
    return bytes;
}

std::vector<std::uint8_t> text_and_tables() {
    const std::string notice =
        "ZIzuvu sample image. Not firmware for any radio: build with the real image "
        "(-DZIZUVU_FIRMWARE_HEX=path) before programming a radio in service.";
    std::vector<std::uint8_t> bytes(notice.begin(), notice.end());
    bytes.push_back(0);
    for (unsigned i = 0; i < 256; ++i) {  // quarter squares, for multiplying without a multiplier
        bytes.push_back(static_cast<std::uint8_t>((i * i / 4U) >> 6U));
    }
    for (unsigned n = 0; n < 256; ++n) {  // a CRC-8 table
        unsigned c = n;
        for (int k = 0; k < 8; ++k) c = (c & 0x80U) != 0U ? ((c << 1U) ^ 0x07U) & 0xFFU : (c << 1U) & 0xFFU;
        bytes.push_back(static_cast<std::uint8_t>(c));
    }
    return bytes;
}

std::vector<Segment> sample_segments() {
    Sequence random;
    std::vector<Segment> before = {{0x0000, code_bytes(random, 0x60)}};
    std::vector<Segment> after = {
        {0x0800, code_bytes(random, 0x3A)},
        {0xE000, text_and_tables()},
        {0xFFC0, {0x5A}},
        {0xFFD0, code_bytes(random, 16)},
        {0xFFE0, code_bytes(random, 32)},
    };
    int fixed = 0;
    for (const auto& s : before) fixed += records_of(s);
    for (const auto& s : after) fixed += records_of(s);

    // Code from 0x1000 up, its segments and gaps drawn from the sequence; the last
    // segment takes exactly the records that are left.
    std::vector<Segment> code;
    int left = RECORD_TOTAL - fixed;
    unsigned address = 0x1000;
    while (left > 0) {
        std::size_t length = 1800 + random.next() % 2600;
        if (static_cast<int>((length + 15) / 16) >= left - 20) length = static_cast<std::size_t>(left) * 16 - 7;
        code.push_back({static_cast<std::uint16_t>(address), code_bytes(random, length)});
        left -= records_of(code.back());
        address += static_cast<unsigned>(length);
        address = (address + 15U) & ~15U;  // segments start on 16-byte boundaries
        address += 16U * (2U + random.next() % 24U);
    }
    std::vector<Segment> all = before;
    all.insert(all.end(), code.begin(), code.end());
    all.insert(all.end(), after.begin(), after.end());
    return all;
}

}  // namespace

int main(int argc, char** argv) {
    // An option given by habit (--help) must not become the name of the file written.
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s OUTPUT.hex\n", argv[0]);
        return argc == 2 && std::string(argv[1]) == "--help" ? 0 : 2;
    }
    std::string text;
    for (const Segment& s : sample_segments()) {
        for (std::size_t at = 0; at < s.bytes.size(); at += 16) {
            const int count = static_cast<int>(std::min<std::size_t>(16, s.bytes.size() - at));
            const auto address = static_cast<std::uint16_t>(s.start + at);
            text += zizuvu::intel_hex_data_line(address, s.bytes.data() + at, count) + "\n";
        }
    }
    text += std::string(zizuvu::INTEL_HEX_END_LINE) + "\n";

    // The generator checks its own work with the build step's rules.
    const zizuvu::ImageReading reading = zizuvu::read_image_records(text);
    std::optional<zizuvu::HexFault> fault = reading.fault;
    if (!fault) fault = zizuvu::check_table_walk(reading.records);
    if (!fault && static_cast<int>(reading.records.size()) != RECORD_TOTAL) {
        fault = zizuvu::HexFault{0, "made " + std::to_string(reading.records.size()) + " records, not 3016"};
    }
    if (fault) {
        std::fprintf(stderr, "sample image: line %d: %s\n", fault->line, fault->reason.c_str());
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << text;
    return out ? 0 : 1;
}
