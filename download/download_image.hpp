#pragma once
// The firmware image the downloads send: the one built into the program, or one
// loaded from an Intel HEX file at start with exactly the rules the build applies to
// the built-in one; and what identifies it: its name, its records, the bytes a
// whole walk sends and their CRC-32 in the order they are sent.
//
//   DownloadImage     the table the walk reads, and the image's identity
//   built_in_image    the compiled-in image ("built-in", with the build's file name)
//   ImageLoading      a loaded image, or why it was refused ("FILE:LINE: reason")
//   load_image_file   read and check an Intel HEX file
//   crc32_of          the CRC-32 (as zlib and the crc32 tools compute it) of some bytes
//   crc32_on_screen   the CRC-32 as the screens show it: 8 upper-case hex digits
//   image_identity    one line: name, records, bytes, CRC-32

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "download/firmware_image.hpp"

namespace zizuvu {

struct DownloadImage {
    DownloadImage() = default;
    DownloadImage(DownloadImage&&) = default;
    DownloadImage& operator=(DownloadImage&&) = default;
    // The table points into `stored`: a copy would point into the original.
    DownloadImage(const DownloadImage&) = delete;
    DownloadImage& operator=(const DownloadImage&) = delete;

    FirmwareTable table{nullptr, 0};
    std::string name;     // the file's name, or the build's file name for the built-in image
    bool built_in = false;
    long bytes_to_send = 0;
    std::uint32_t crc32 = 0;
    std::vector<std::uint8_t> stored;  // a loaded image's table; the built-in one lives in the program
};

DownloadImage built_in_image();

struct ImageLoading {
    std::optional<DownloadImage> image;
    std::string refusal;  // "FILE:LINE: reason", or "FILE: reason" for a file that cannot be read
};

ImageLoading load_image_file(const std::string& path);

std::uint32_t crc32_of(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);
std::string crc32_on_screen(std::uint32_t crc);
std::string image_identity(const DownloadImage& image);

}  // namespace zizuvu
