// Writes the download target's seeds into a directory: a radio answering as a real
// one does (its identification, erase reports, echoes and acknowledgements of the
// compiled-in image's first bytes), and the stalls, wrong answers and operator keys
// of a bench day. The layout of each file is described in download_radio.hpp.
//
//   fuzz_make_download_seeds <directory>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "download/firmware_image.hpp"
#include "download/radio_protocol.hpp"
#include "download/table_walk.hpp"
#include "platform/key_text.hpp"

namespace {

using namespace zizuvu;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t KEY = 0x80;
constexpr std::uint8_t SILENT = 0x00;

// The first `count` bytes the image sends, with their addresses.
std::vector<std::pair<std::uint16_t, std::uint8_t>> image_start(int count) {
    std::vector<std::pair<std::uint16_t, std::uint8_t>> bytes;
    RecordBuffer record;
    TableWalk walk;
    start_walk(walk, firmware_image(), record);
    for (RecordStep step; (step = next_record(walk)) != RecordStep::end_of_table;) {
        if (step == RecordStep::skipped) continue;
        for (; walk.bytes_left > 0; advance(walk)) {
            if (static_cast<int>(bytes.size()) == count) return bytes;
            bytes.emplace_back(walk.address_counter, data_byte(walk));
        }
    }
    return bytes;
}

void answer(Bytes& seed, std::initializer_list<std::uint8_t> bytes) {
    seed.push_back(static_cast<std::uint8_t>(bytes.size()));
    seed.insert(seed.end(), bytes);
}

void identification_and_erase(Bytes& seed, std::uint8_t erase_reply) {
    const auto id = identification_reply(0x1234, 0x0A0B0C);
    answer(seed, {id[0], id[1], id[2], id[3]});
    answer(seed, {erase_reply});
}

// The X.72-and-newer exchange of one byte: address echo and acknowledgement.
void current_byte(Bytes& seed, std::uint16_t address, std::uint8_t data) {
    answer(seed, {static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address),
                  scramble_data_byte(address, data).acknowledgement});
}

// The X.71-and-older exchange of one byte: address echo and data echo.
void older_byte(Bytes& seed, std::uint16_t address, std::uint8_t data) {
    answer(seed, {static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address), data});
}

void write_seed(const std::string& directory, const std::string& name, const Bytes& seed) {
    const std::string path = directory + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(seed.data(), 1, seed.size(), file) != seed.size() || std::fclose(file) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    const auto image = image_start(40);

    Bytes current = {0x05};  // X.72 and newer, high speed
    identification_and_erase(current, ERASE_DONE);
    for (const auto& [address, data] : image) current_byte(current, address, data);
    write_seed(directory, "current_answers_every_byte", current);

    Bytes current_normal = {0x01};
    identification_and_erase(current_normal, ERASE_DONE);
    for (std::size_t i = 0; i < 8; ++i) current_byte(current_normal, image[i].first, image[i].second);
    current_normal.push_back(KEY | KEY_ESCAPE);  // Escape between records ends it
    write_seed(directory, "current_normal_speed_escape", current_normal);

    Bytes stalls = {0x05};
    identification_and_erase(stalls, ERASE_DONE);
    stalls.insert(stalls.end(), {SILENT, KEY | KEY_ENTER, KEY | 'Y'});  // address stall, retry
    current_byte(stalls, image[0].first, image[0].second);
    answer(stalls, {0x12, 0x34});                                      // wrong echo
    stalls.push_back(KEY | 'Y');
    answer(stalls, {static_cast<std::uint8_t>(image[1].first >> 8), static_cast<std::uint8_t>(image[1].first)});
    stalls.insert(stalls.end(), {SILENT, KEY | KEY_ENTER, KEY | 'Y'});  // acknowledgement stall
    current_byte(stalls, image[1].first, image[1].second);
    answer(stalls, {static_cast<std::uint8_t>(image[2].first >> 8), static_cast<std::uint8_t>(image[2].first), 0x00});
    stalls.push_back(KEY | KEY_ESCAPE);                                 // wrong acknowledgement: leave
    write_seed(directory, "current_stalls_and_wrong_answers", stalls);

    Bytes older_erase = {0x05};  // the newer download meeting a radio that erases the older way
    identification_and_erase(older_erase, 0x00);
    answer(older_erase, {ERASE_DONE_OLDER});
    for (std::size_t i = 0; i < 20; ++i) older_byte(older_erase, image[i].first, image[i].second);
    write_seed(directory, "current_then_older_erase", older_erase);

    for (const std::uint8_t first : {std::uint8_t{0x0C}, std::uint8_t{0x00}}) {  // 5.45 or greater at high speed; older at normal
        Bytes older = {first};
        answer(older, {0x41, 0x42, ERASE_DONE_OLDER});
        for (const auto& [address, data] : image) older_byte(older, address, data);
        write_seed(directory, first == 0 ? "older_before_545" : "older_545_high_speed", older);
    }

    Bytes older_stalls = {0x08};
    answer(older_stalls, {ERASE_DONE_OLDER});
    older_stalls.insert(older_stalls.end(), {SILENT, KEY | KEY_ENTER, KEY | 'Y'});  // address stall: resend
    answer(older_stalls, {static_cast<std::uint8_t>(image[0].first >> 8)});       // half an echo
    older_stalls.insert(older_stalls.end(), {SILENT, KEY | KEY_ENTER, KEY | 'Y'});
    answer(older_stalls, {static_cast<std::uint8_t>(image[0].first), image[0].second});
    answer(older_stalls, {0x00, 0x00});                                           // wrong echo: go on
    older_stalls.insert(older_stalls.end(), {KEY | 'Y', SILENT, KEY | KEY_ENTER, KEY | KEY_ESCAPE});
    write_seed(directory, "older_stalls_and_wrong_echo", older_stalls);

    Bytes retry = {0x06};  // program retry, high speed
    for (const auto& [address, data] : image) current_byte(retry, address, data);
    write_seed(directory, "retry_answers_every_byte", retry);
    return 0;
}
