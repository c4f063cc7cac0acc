#include "download/radio_protocol.hpp"

namespace zizuvu {
namespace {

std::uint8_t high_byte(std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8U); }
std::uint8_t low_byte(std::uint16_t v) { return static_cast<std::uint8_t>(v & 0xFFU); }

std::uint8_t check_byte_for(std::uint8_t scrambled_byte) {
    const unsigned inverted = scrambled_byte ^ 0xFFU;
    return static_cast<std::uint8_t>(((inverted << 3U) | (inverted >> 5U)) & 0xFFU);
}

}  // namespace

std::uint16_t key_step(std::uint16_t v) {
    const unsigned r = ((static_cast<unsigned>(v) << 1U) | (static_cast<unsigned>(v) >> 15U)) & 0xFFFFU;
    const unsigned t = ((r >> 3U) ^ (r >> 4U) ^ (r >> 5U)) & 1U;
    return static_cast<std::uint16_t>(r ^ t);
}

DataFrame scramble_data_byte(std::uint16_t address, std::uint8_t data) {
    const std::uint16_t key = key_step(address);
    const auto scrambled = static_cast<std::uint8_t>(data ^ low_byte(key));
    return {scrambled, check_byte_for(scrambled), static_cast<std::uint8_t>(scrambled ^ high_byte(key))};
}

UnscrambledFrame unscramble_data_frame(std::uint16_t address, std::uint8_t scrambled_byte, std::uint8_t check_byte) {
    const std::uint16_t key = key_step(address);
    return {static_cast<std::uint8_t>(scrambled_byte ^ low_byte(key)), check_byte == check_byte_for(scrambled_byte),
            static_cast<std::uint8_t>(scrambled_byte ^ high_byte(key))};
}

std::uint32_t unmask_serial_number(std::uint16_t challenge, std::uint8_t id2, std::uint8_t id3, std::uint8_t id4) {
    const std::uint16_t k1 = key_step(challenge);
    const std::uint16_t k2 = key_step(k1);
    const std::uint32_t middle = id2 ^ high_byte(k1);
    const std::uint32_t low = id3 ^ low_byte(k1);
    const std::uint32_t high = id4 ^ high_byte(k2);
    return high * 65536U + middle * 256U + low;
}

std::array<std::uint8_t, 4> identification_reply(std::uint16_t challenge, std::uint32_t serial_number) {
    const std::uint16_t k1 = key_step(challenge);
    const std::uint16_t k2 = key_step(k1);
    const auto high = static_cast<std::uint8_t>((serial_number >> 16U) & 0xFFU);
    const auto middle = static_cast<std::uint8_t>((serial_number >> 8U) & 0xFFU);
    const auto low = static_cast<std::uint8_t>(serial_number & 0xFFU);
    return {ID_LEAD, static_cast<std::uint8_t>(middle ^ high_byte(k1)), static_cast<std::uint8_t>(low ^ low_byte(k1)),
            static_cast<std::uint8_t>(high ^ high_byte(k2))};
}

}  // namespace zizuvu
