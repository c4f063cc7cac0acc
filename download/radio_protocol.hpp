#pragma once
// What travels on the wire between the program and the radio in the download modes:
// the protocol constants and the arithmetic both ends must agree on. The program and
// the simulated radio link this same code, each using its own side.
//
//   ID_LEAD .. RESYNC                 bytes of the X.72-and-newer exchange
//   ERASE_DONE_OLDER                  the X.71-and-older radio's erase report
//   PROGRESS_EVERY, PROGRESS_EVERY_OLDER   records per progress line
//   HANDSHAKE_BAUD, DOWNLOAD_CLOCK, SPEED_CODE_*, download_baud   line speeds
//   OLDER_ENTRY_*                     the X.71-and-older entry keys before the code
//   key_step                          one step of the key stream
//   DataFrame, scramble_data_byte     program side: a data byte as it is sent
//   UnscrambledFrame, unscramble_data_frame   radio side: the byte back and its check
//   unmask_serial_number              program side: the serial number in an identification
//   identification_reply              radio side: the identification for a challenge

#include <array>
#include <cstdint>

namespace zizuvu {

inline constexpr std::uint8_t ID_LEAD = 0xFF;
inline constexpr std::uint8_t ERASE_REQUEST = 0xAA;
inline constexpr std::uint8_t ERASE_DONE = 0xAA;
inline constexpr std::uint8_t FRAME_LEAD = 0x00;
inline constexpr std::array<std::uint8_t, 4> RESYNC{0xFF, 0xFF, 0xFF, 0xFF};
inline constexpr std::uint8_t ERASE_DONE_OLDER = 0xFF;

inline constexpr int PROGRESS_EVERY = 4;        // X.72 and newer
inline constexpr int PROGRESS_EVERY_OLDER = 8;  // X.71 and older

inline constexpr int HANDSHAKE_BAUD = 19200;
inline constexpr int DOWNLOAD_CLOCK = 460800;
inline constexpr int SPEED_CODE_HIGH = 4;     // 115200 baud
inline constexpr int SPEED_CODE_NORMAL = 12;  // 38400 baud
constexpr int download_baud(int speed_code) { return DOWNLOAD_CLOCK / speed_code; }

// The X.71-and-older download reaches the radio's code prompt through its setup menu:
// the baud-rate page, the speed digit there, Escape back, the service page.
inline constexpr std::uint8_t OLDER_ENTRY_BAUD_PAGE = '1';
inline constexpr std::uint8_t OLDER_SPEED_DIGIT_HIGH = '1';    // 115200 baud
inline constexpr std::uint8_t OLDER_SPEED_DIGIT_NORMAL = '4';  // 38400 baud
inline constexpr std::uint8_t OLDER_ENTRY_BACK = 0x1B;
inline constexpr std::uint8_t ENTRY_SERVICE_PAGE = '4';  // also the X.72 download's first byte

std::uint16_t key_step(std::uint16_t v);

struct DataFrame {
    std::uint8_t scrambled_byte;
    std::uint8_t check_byte;
    std::uint8_t acknowledgement;  // what the radio must answer
};
DataFrame scramble_data_byte(std::uint16_t address, std::uint8_t data);

struct UnscrambledFrame {
    std::uint8_t data;
    bool check_ok;
    std::uint8_t acknowledgement;
};
UnscrambledFrame unscramble_data_frame(std::uint16_t address, std::uint8_t scrambled_byte, std::uint8_t check_byte);

std::uint32_t unmask_serial_number(std::uint16_t challenge, std::uint8_t id2, std::uint8_t id3, std::uint8_t id4);
// The serial number is below 2^24; higher bits are not sent.
std::array<std::uint8_t, 4> identification_reply(std::uint16_t challenge, std::uint32_t serial_number);

}  // namespace zizuvu
