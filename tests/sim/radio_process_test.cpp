// zizuvu-radio as the program meets it: the executable on its pseudo-terminal, a
// scripted peer on the far end doing what the program's procedures do.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "download/radio_codes.hpp"
#include "download/radio_protocol.hpp"
#include "tests/support/radio_peer.hpp"
#include "tests/support/run_command.hpp"
#include "download/intel_hex.hpp"

namespace zizuvu {
namespace {

using namespace std::chrono_literals;
using testing::RadioProcess;
using testing::SerialPeer;
using testing::TempDir;

std::string bytes_of(std::initializer_list<long> values) {
    std::string text;
    for (long v : values) text.push_back(static_cast<char>(v));
    return text;
}
std::string address_of(std::uint16_t a) { return bytes_of({a >> 8U, a & 0xFFU}); }

struct Bench {
    explicit Bench(std::vector<std::string> arguments = {}) : radio(RadioProcess::start(dir.path(), arguments)) {}
    TempDir dir;
    std::unique_ptr<RadioProcess> radio;
};

// The X.72 download's handshake as the program sends it; the identification read back.
std::string current_handshake(SerialPeer& peer, int speed_code, std::uint16_t challenge) {
    peer.set_speed(HANDSHAKE_BAUD);
    peer.send("4");
    peer.read_until("Enter service code: ");
    for (int i = 0; i < MODE_COMMAND_LENGTH; ++i) {
        peer.send(bytes_of({mode_command_piece(i)}));
        usleep(10000);
    }
    peer.send(bytes_of({speed_code, challenge >> 8U, challenge & 0xFFU}));
    usleep(10000);
    peer.set_speed(download_baud(speed_code));
    return peer.read(4, 3s);
}

void erase(SerialPeer& peer) {
    peer.send(bytes_of({ERASE_REQUEST}));
    ASSERT_EQ(peer.read(1, 3s), bytes_of({ERASE_DONE}));
}

// One data byte of the X.72 exchange: echo, then acknowledgement.
std::string exchange(SerialPeer& peer, std::uint16_t address, std::uint8_t data, std::chrono::milliseconds limit = 2s) {
    peer.send(bytes_of({FRAME_LEAD}) + address_of(address));
    std::string got = peer.read(2, limit);
    if (got.size() < 2) return got;
    const DataFrame frame = scramble_data_byte(address, data);
    peer.send(bytes_of({frame.scrambled_byte, frame.check_byte}));
    return got + peer.read(1, limit);
}

std::string expected_exchange(std::uint16_t address, std::uint8_t data) {
    return address_of(address) + bytes_of({scramble_data_byte(address, data).acknowledgement});
}

// The X.71 entry as the program sends it (with shorter pauses); the erase report read back.
std::string older_entry(SerialPeer& peer, std::uint8_t speed_digit, std::string_view code, int download) {
    peer.set_speed(HANDSHAKE_BAUD);
    for (std::uint8_t key : {OLDER_ENTRY_BAUD_PAGE, speed_digit, OLDER_ENTRY_BACK}) {
        peer.send(bytes_of({key}));
        peer.read_until("Enter choice: ");
    }
    peer.send(bytes_of({ENTRY_SERVICE_PAGE}));
    for (char c : code) {
        peer.send(std::string(1, c));
        usleep(50000);
    }
    usleep(10000);
    peer.read_for(10ms);
    peer.set_speed(download);
    return peer.read(1, 3s);
}

TEST(RadioExecutable, PrintsItsDeviceLinksItAndCleansUp) {
    TempDir dir;
    const std::string link = dir.file("com1");
    auto radio = RadioProcess::start(dir.path(), {"--link", link});
    ASSERT_NE(radio, nullptr);
    EXPECT_EQ(radio->path().rfind("/dev/pts/", 0), 0U) << radio->path();
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), radio->path());
    SerialPeer peer(link);
    ASSERT_TRUE(peer.is_open());
    EXPECT_TRUE(std::filesystem::is_character_file(link));
    EXPECT_EQ(radio->stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    EXPECT_NE(radio->errors().find("zizuvu-radio: 0 bytes programmed"), std::string::npos) << radio->errors();
}

TEST(RadioExecutable, HelpSaysEverythingAndBadOptionsAreRefused) {
    const auto help = testing::run_command({ZIZUVU_RADIO_EXECUTABLE, "--help"});
    EXPECT_EQ(help.exit_code, 0);
    for (const char* word : {"--link", "--serial-number", "--generation", "--erase-ms", "--resync-timeout", "--pace",
                             "--fault", "--dump", "--log", "--reappear-after", "--inject", "SIGUSR1", "SIGUSR2", "SIGTERM",
                             "no-address-echo@N", "half-address-echo@N", "wrong-address-echo@N", "no-acknowledgement@N",
                             "wrong-acknowledgement@N", "no-data-echo@N", "wrong-data-echo@N", "stall@N", "noise@N",
                             "silent-identification", "identification-lead=", "erase-reply="}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
    for (std::vector<std::string> bad : {std::vector<std::string>{"--bogus", "1"}, {"--fault", "stall"},
                                         {"--serial-number", "16777216"}, {"--generation", "x73"}, {"--log"}}) {
        bad.insert(bad.begin(), ZIZUVU_RADIO_EXECUTABLE);
        const auto refused = testing::run_command(bad);
        EXPECT_EQ(refused.exit_code, 2) << bad[1];
        EXPECT_NE(refused.err.find("zizuvu-radio: "), std::string::npos);
    }
}

TEST(RadioExecutable, InjectedBytesGoOutAsTheyAreAndThePipeIsRemovedAtTheEnd) {
    TempDir dir;
    const std::string pipe = dir.file("inject");
    auto radio = RadioProcess::start(dir.path(), {"--inject", pipe});
    ASSERT_NE(radio, nullptr);
    SerialPeer peer(radio->path());
    static constexpr char hostile[] = "\x1b]0;title\x07\x1b" "c\n\x00\xff" "end";
    const std::string bytes(hostile, sizeof hostile - 1);
    {
        std::ofstream out(pipe, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // The pipe has no end while the radio lives: a second writer is heard as well.
    {
        std::ofstream out(pipe, std::ios::binary);
        out << "more";
    }
    EXPECT_EQ(peer.read(bytes.size() + 4, 5s), bytes + "more");
    ASSERT_EQ(radio->stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(pipe)));
    int sent = 0;
    for (const auto& line : testing::read_wire_log(radio->log_path())) sent += !line.note && line.sent ? 1 : 0;
    EXPECT_EQ(sent, static_cast<int>(bytes.size() + 4));
}

TEST(RadioExecutable, SetupMenuAtWhateverSpeedTheLineIsSet) {
    Bench bench;
    ASSERT_NE(bench.radio, nullptr);
    SerialPeer peer(bench.radio->path(), 9600);
    peer.send("\r");
    const std::string menu = peer.read_until("Enter choice: ");
    EXPECT_NE(menu.find("\r\nSETUP MENU\r\n"), std::string::npos) << menu;
    peer.set_speed(57600);
    peer.send("5");
    const std::string statistics = peer.read_until("Enter choice: ");
    const std::size_t speed = statistics.find("Line speed now ");
    ASSERT_NE(speed, std::string::npos) << statistics;
    EXPECT_EQ(statistics.substr(statistics.find('\r', speed) - 6, 6), " 57600");
    ASSERT_EQ(bench.radio->stop(), 0);
    const auto log = testing::read_wire_log(bench.radio->log_path());
    ASSERT_FALSE(log.empty());
    int first_out = -1;
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (!log[i].note && log[i].sent && first_out < 0) first_out = static_cast<int>(i);
    }
    ASSERT_GT(first_out, 0);
    EXPECT_EQ(log[static_cast<std::size_t>(first_out) - 1].byte, '\r');
    EXPECT_EQ(log[static_cast<std::size_t>(first_out) - 1].baud, 9600);
    EXPECT_EQ(log[static_cast<std::size_t>(first_out)].baud, 9600);
}

class CurrentDownload : public ::testing::TestWithParam<int> {};

TEST_P(CurrentDownload, HandshakeIdentificationEraseFramesAndDump) {
    Bench bench({"--serial-number", "123456", "--erase-ms", "50"});
    ASSERT_NE(bench.radio, nullptr);
    SerialPeer peer(bench.radio->path());
    EXPECT_EQ(current_handshake(peer, GetParam(), 1234), bytes_of({0xFF, 0xEB, 0xE5, 0x12}));
    erase(peer);
    EXPECT_EQ(exchange(peer, 0x1234, 0xA5), address_of(0x1234) + bytes_of({0xE9}));
    EXPECT_EQ(exchange(peer, 0x1235, 0x00), expected_exchange(0x1235, 0x00));
    EXPECT_EQ(exchange(peer, 0xFFFF, 0x7E), address_of(0xFFFF) + bytes_of({0x7F}));
    bench.radio->signal(SIGUSR1);
    peer.read_for(200ms);
    EXPECT_EQ(bench.radio->dump(), ":02123400A50013\n:01FFFF007E83\n:00000001FF\n");
    ASSERT_EQ(bench.radio->stop(), 0);
    EXPECT_NE(bench.radio->errors().find("3 bytes programmed (0x1234 to 0xFFFF)"), std::string::npos) << bench.radio->errors();
    EXPECT_NE(bench.radio->errors().find(" 0 violations"), std::string::npos);

    // The log shows every phase at its speed.
    const auto log = testing::read_wire_log(bench.radio->log_path());
    std::string handshake;
    std::int64_t last = 0;
    for (const auto& line : log) {
        EXPECT_GE(line.microseconds, last);
        last = line.microseconds;
        if (line.note || line.sent) continue;
        if (line.baud == HANDSHAKE_BAUD) handshake.push_back(static_cast<char>(line.byte));
        if (line.byte == ERASE_REQUEST) {
            EXPECT_EQ(line.baud, download_baud(GetParam()));
        }
    }
    EXPECT_EQ(handshake.substr(0, 5), "4" + std::string(mode_command().text()));
}

INSTANTIATE_TEST_SUITE_P(Speeds, CurrentDownload, ::testing::Values(SPEED_CODE_HIGH, SPEED_CODE_NORMAL));

TEST(RadioExecutable, SecondKnownIdentification) {
    Bench bench({"--serial-number", "11259375"});
    ASSERT_NE(bench.radio, nullptr);
    SerialPeer peer(bench.radio->path());
    EXPECT_EQ(current_handshake(peer, SPEED_CODE_NORMAL, 65535), bytes_of({0xFF, 0x32, 0x11, 0x54}));
}

TEST(RadioExecutable, OlderDownloadBothCodesAndSpeeds) {
    struct Case {
        std::uint8_t digit;
        DownloadCode code;
        int baud;
    };
    for (const Case& c : {Case{OLDER_SPEED_DIGIT_HIGH, x71_code(), 115200}, Case{OLDER_SPEED_DIGIT_NORMAL, x71_code_before_545(), 38400}}) {
        Bench bench({"--erase-ms", "50"});
        ASSERT_NE(bench.radio, nullptr);
        SerialPeer peer(bench.radio->path());
        EXPECT_EQ(older_entry(peer, c.digit, c.code.text(), c.baud), bytes_of({ERASE_DONE_OLDER})) << c.baud;
        peer.send(address_of(0x4000));
        EXPECT_EQ(peer.read(2), address_of(0x4000));
        peer.send(bytes_of({0x3C}));
        EXPECT_EQ(peer.read(1), bytes_of({0x3C}));
        ASSERT_EQ(bench.radio->stop(), 0);
        EXPECT_EQ(bench.radio->dump(), ":014000003C83\n:00000001FF\n");
        EXPECT_NE(bench.radio->errors().find(" 0 violations"), std::string::npos) << bench.radio->errors();
    }
}

TEST(RadioExecutable, RetryResynchronisesAnInterruptedDownloadAndStartsFromTheMenu) {
    Bench bench({"--erase-ms", "10"});
    ASSERT_NE(bench.radio, nullptr);
    {
        SerialPeer peer(bench.radio->path());
        current_handshake(peer, SPEED_CODE_HIGH, 99);
        erase(peer);
        exchange(peer, 0x1000, 1);
    }  // the program ends the download and closes the port
    {
        SerialPeer peer(bench.radio->path(), HANDSHAKE_BAUD);
        peer.set_speed(115200);
        peer.send(bytes_of({0xFF, 0xFF, 0xFF, 0xFF}));
        EXPECT_EQ(exchange(peer, 0x1000, 2), expected_exchange(0x1000, 2));
    }
    Bench fresh;
    ASSERT_NE(fresh.radio, nullptr);
    SerialPeer peer(fresh.radio->path(), 38400);
    peer.send(bytes_of({0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(exchange(peer, 0x2000, 3), expected_exchange(0x2000, 3));
    ASSERT_EQ(bench.radio->stop(), 0);
    EXPECT_NE(bench.radio->errors().find("1 resynchronisations; 0 violations"), std::string::npos) << bench.radio->errors();
}

TEST(RadioExecutable, ReportsAProgramTalkingAtTheWrongSpeed) {
    Bench bench({"--erase-ms", "10"});
    ASSERT_NE(bench.radio, nullptr);
    SerialPeer peer(bench.radio->path());
    current_handshake(peer, SPEED_CODE_HIGH, 5);
    erase(peer);
    peer.set_speed(38400);
    exchange(peer, 0x1000, 1);
    peer.read_for(100ms);
    ASSERT_EQ(bench.radio->stop(), 0);
    const std::string errors = bench.radio->errors();
    EXPECT_NE(errors.find("zizuvu-radio: violation: byte 0x00 at 38400 baud: the download runs at 115200"), std::string::npos)
        << errors;
    EXPECT_NE(errors.find(" 5 violations"), std::string::npos) << errors;
}

// Each fault through the executable: the radio runs to the faulty data byte (number 1)
// and the peer sees what the program would see there.
struct FaultCase {
    const char* name;
    std::vector<std::string> options;
    bool older;
    std::string (*at_byte_1)(SerialPeer&);
    std::string expected;
};

std::string x72_echo(SerialPeer& peer) {
    peer.send(bytes_of({FRAME_LEAD}) + address_of(0x1001));
    return peer.read_for(300ms);
}
std::string x72_ack(SerialPeer& peer) {
    std::string got = x72_echo(peer);
    const DataFrame frame = scramble_data_byte(0x1001, 0x11);
    peer.send(bytes_of({frame.scrambled_byte, frame.check_byte}));
    return got + peer.read_for(300ms);
}
std::string x71_echo(SerialPeer& peer) {
    peer.send(address_of(0x1001));
    return peer.read_for(300ms);
}
std::string x71_data(SerialPeer& peer) {
    std::string got = x71_echo(peer);
    peer.send(bytes_of({0x11}));
    return got + peer.read_for(300ms);
}

void PrintTo(const FaultCase& fault, std::ostream* out) { *out << fault.name; }

class RadioFaultOnTheLine : public ::testing::TestWithParam<FaultCase> {};

TEST_P(RadioFaultOnTheLine, IsWhatTheProgramSees) {
    std::vector<std::string> options = {"--erase-ms", "10"};
    options.insert(options.end(), GetParam().options.begin(), GetParam().options.end());
    Bench bench(options);
    ASSERT_NE(bench.radio, nullptr);
    SerialPeer peer(bench.radio->path());
    if (GetParam().older) {
        ASSERT_EQ(older_entry(peer, OLDER_SPEED_DIGIT_HIGH, x71_code().text(), 115200), bytes_of({ERASE_DONE_OLDER}));
        peer.send(address_of(0x1000) + bytes_of({0x10}));
        peer.read(3);
    } else {
        ASSERT_EQ(current_handshake(peer, SPEED_CODE_HIGH, 1).size(), 4U);
        erase(peer);
        ASSERT_EQ(exchange(peer, 0x1000, 0x10), expected_exchange(0x1000, 0x10));
    }
    EXPECT_EQ(GetParam().at_byte_1(peer), GetParam().expected);
}

const std::string ECHO_1001 = address_of(0x1001);
const std::string ACK_1001 = bytes_of({scramble_data_byte(0x1001, 0x11).acknowledgement});

INSTANTIATE_TEST_SUITE_P(
    Faults, RadioFaultOnTheLine,
    ::testing::Values(
        FaultCase{"NoAddressEcho", {"--fault", "no-address-echo@1"}, false, x72_echo, ""},
        FaultCase{"HalfAddressEcho", {"--fault", "half-address-echo@1"}, false, x72_echo, bytes_of({0x10})},
        FaultCase{"WrongAddressEcho", {"--fault", "wrong-address-echo@1"}, false, x72_echo, address_of(0x1000)},
        FaultCase{"NoAcknowledgement", {"--fault", "no-acknowledgement@1"}, false, x72_ack, ECHO_1001},
        FaultCase{"WrongAcknowledgement", {"--fault", "wrong-acknowledgement@1"}, false, x72_ack,
                  ECHO_1001 + bytes_of({ACK_1001[0] ^ 0x01})},
        FaultCase{"Stall", {"--fault", "stall@1:1000"}, false, x72_echo, ""},
        FaultCase{"OlderNoAddressEcho", {"--fault", "no-address-echo@1"}, true, x71_echo, ""},
        FaultCase{"OlderHalfAddressEcho", {"--fault", "half-address-echo@1"}, true, x71_echo, bytes_of({0x10})},
        FaultCase{"OlderWrongAddressEcho", {"--fault", "wrong-address-echo@1"}, true, x71_echo, address_of(0x1000)},
        FaultCase{"OlderNoDataEcho", {"--fault", "no-data-echo@1"}, true, x71_data, ECHO_1001},
        FaultCase{"OlderWrongDataEcho", {"--fault", "wrong-data-echo@1"}, true, x71_data, ECHO_1001 + bytes_of({0x10})},
        FaultCase{"OlderStall", {"--fault", "stall@1:1000"}, true, x71_data, ""}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(RadioExecutable, NoiseArrivesAheadOfTheEcho) {
    Bench bench({"--erase-ms", "10", "--fault", "noise@0:3"});
    ASSERT_NE(bench.radio, nullptr);
    SerialPeer peer(bench.radio->path());
    current_handshake(peer, SPEED_CODE_HIGH, 1);
    erase(peer);
    peer.send(bytes_of({FRAME_LEAD}) + address_of(0x1000));
    const std::string got = peer.read_for(300ms);
    ASSERT_EQ(got.size(), 5U);
    EXPECT_EQ(got.substr(3), address_of(0x1000));
}

TEST(RadioExecutable, IdentificationAndEraseFaults) {
    {
        Bench bench({"--fault", "silent-identification"});
        SerialPeer peer(bench.radio->path());
        EXPECT_EQ(current_handshake(peer, SPEED_CODE_HIGH, 1234).size(), 0U);
    }
    {
        Bench bench({"--fault", "identification-lead=0xFE", "--serial-number", "123456"});
        SerialPeer peer(bench.radio->path());
        EXPECT_EQ(current_handshake(peer, SPEED_CODE_HIGH, 1234), bytes_of({0xFE, 0xEB, 0xE5, 0x12}));
    }
    {
        Bench bench({"--fault", "erase-reply=0x55", "--erase-ms", "600"});
        SerialPeer peer(bench.radio->path());
        current_handshake(peer, SPEED_CODE_NORMAL, 7);
        peer.send(bytes_of({ERASE_REQUEST}));
        EXPECT_EQ(peer.read_for(100ms), "");  // erasing
        EXPECT_EQ(peer.read(1, 2s), bytes_of({0x55}));
        EXPECT_EQ(peer.read(1, 2s), bytes_of({ERASE_DONE_OLDER}));
        peer.send(address_of(0x1200));
        EXPECT_EQ(peer.read(2), address_of(0x1200));
    }
}

TEST(RadioExecutable, GoesAwayAndComesBackAtTheSameLink) {
    TempDir dir;
    const std::string link = dir.file("com1");
    auto radio = RadioProcess::start(dir.path(), {"--link", link, "--reappear-after", "300"});
    ASSERT_NE(radio, nullptr);
    const std::string first = radio->path();
    SerialPeer before(link);
    radio->signal(SIGUSR2);
    EXPECT_TRUE(before.hung_up(2s));
    const std::string second = radio->next_path(5s);
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), second);
    SerialPeer after(link, 19200);
    after.send("\r");
    EXPECT_NE(after.read_until("Enter choice: ").find("SETUP MENU"), std::string::npos);
    // Without --reappear-after the line stays away until the next SIGUSR2.
    TempDir other;
    const std::string link2 = other.file("com2");
    auto toggled = RadioProcess::start(other.path(), {"--link", link2});
    ASSERT_NE(toggled, nullptr);
    toggled->signal(SIGUSR2);
    EXPECT_EQ(toggled->next_path(500ms), "");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link2)));
    toggled->signal(SIGUSR2);
    EXPECT_FALSE(toggled->next_path(5s).empty());
    EXPECT_TRUE(std::filesystem::is_symlink(link2));
}

TEST(RadioExecutable, DumpAtTheEndParsesAsTheImageFormat) {
    Bench bench({"--erase-ms", "10"});
    ASSERT_NE(bench.radio, nullptr);
    SerialPeer peer(bench.radio->path());
    current_handshake(peer, SPEED_CODE_HIGH, 3);
    erase(peer);
    for (int i = 0; i < 40; ++i) exchange(peer, static_cast<std::uint16_t>(0x2008 + i), static_cast<std::uint8_t>(i));
    ASSERT_EQ(bench.radio->stop(), 0);
    const ImageReading dump = read_image_records(bench.radio->dump());
    ASSERT_FALSE(dump.fault) << dump.fault->reason;
    ASSERT_EQ(dump.records.size(), 3U);  // 0x2008-0x200F, 0x2010-0x201F, 0x2020-0x202F
    EXPECT_EQ(dump.records[0].load_address, 0x2008);
    EXPECT_EQ(dump.records[0].data.size(), 8U);
    EXPECT_EQ(dump.records[2].load_address, 0x2020);
    std::vector<std::uint8_t> last;
    for (int i = 24; i < 40; ++i) last.push_back(static_cast<std::uint8_t>(i));
    EXPECT_EQ(dump.records[2].data, last);
}

// Wire-time pacing: the figure is printed, not held against the clock.
TEST(RadioExecutable, PacingFigures) {
    constexpr int bytes = 200;
    for (const int speed_code : {SPEED_CODE_HIGH, SPEED_CODE_NORMAL}) {
        for (const bool paced : {false, true}) {
            std::vector<std::string> options = {"--erase-ms", "0"};
            if (paced) options.push_back("--pace");
            Bench bench(options);
            ASSERT_NE(bench.radio, nullptr);
            SerialPeer peer(bench.radio->path());
            current_handshake(peer, speed_code, 11);
            erase(peer);
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < bytes; ++i) {
                ASSERT_EQ(exchange(peer, static_cast<std::uint16_t>(0x3000 + i), 0x5A).size(), 3U);
            }
            const double per_byte_us =
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / bytes;
            const double wire_us = 8 * 10 * 1e6 / download_baud(speed_code);
            std::printf("X.72 exchange at %6d baud, %-9s %7.1f us per data byte (wire time %6.1f us)\n",
                        download_baud(speed_code), paced ? "paced:" : "unpaced:", per_byte_us, wire_us);
        }
    }
}

}  // namespace
}  // namespace zizuvu
