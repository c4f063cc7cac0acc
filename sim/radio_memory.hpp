#pragma once
// The radio's program memory: what it was programmed with, and where.
//
//   RadioMemory          64 KiB, each byte marked when programmed
//   erase_memory         all 0xFF, nothing programmed
//   program_byte         one byte at an address
//   programmed_count     how many addresses hold a programmed byte
//   memory_as_intel_hex  the programmed bytes only, 16-byte records on 16-byte boundaries

#include <array>
#include <bitset>
#include <cstdint>
#include <string>

namespace zizuvu::sim {

struct RadioMemory {
    std::array<std::uint8_t, 65536> bytes;
    std::bitset<65536> programmed;
    long writes = 0;  // every programmed byte, the same address again included
    RadioMemory() { bytes.fill(0xFF); }
};

void erase_memory(RadioMemory& memory);
void program_byte(RadioMemory& memory, std::uint16_t address, std::uint8_t data);
long programmed_count(const RadioMemory& memory);
std::string memory_as_intel_hex(const RadioMemory& memory);

}  // namespace zizuvu::sim
