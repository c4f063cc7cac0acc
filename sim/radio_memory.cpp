#include "sim/radio_memory.hpp"

#include "download/intel_hex.hpp"

namespace zizuvu::sim {

void erase_memory(RadioMemory& memory) {
    memory.bytes.fill(0xFF);
    memory.programmed.reset();
}

void program_byte(RadioMemory& memory, std::uint16_t address, std::uint8_t data) {
    memory.bytes[address] = data;
    memory.programmed.set(address);
    ++memory.writes;
}

long programmed_count(const RadioMemory& memory) { return static_cast<long>(memory.programmed.count()); }

std::string memory_as_intel_hex(const RadioMemory& memory) {
    std::string text;
    for (std::size_t block = 0; block < 65536; block += 16) {
        std::size_t at = block;
        while (at < block + 16) {
            if (!memory.programmed[at]) {
                ++at;
                continue;
            }
            std::size_t end = at;
            while (end < block + 16 && memory.programmed[end]) ++end;
            text += intel_hex_data_line(static_cast<std::uint16_t>(at), memory.bytes.data() + at, static_cast<int>(end - at));
            text += "\n";
            at = end;
        }
    }
    text += std::string(INTEL_HEX_END_LINE) + "\n";
    return text;
}

}  // namespace zizuvu::sim
