#include "terminal/terminal_capture.hpp"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/clock.hpp"
#include "platform/cp437.hpp"

namespace zizuvu {
namespace {

constexpr auto FLUSH_INTERVAL = std::chrono::seconds(1);
constexpr std::uint8_t CARRIAGE_RETURN = 13;
constexpr std::uint8_t HIGHEST_DROPPED = 20;  // as the screen: these show nothing
constexpr std::uint8_t F1_BYTE = 255;         // what F1 sends the radio

// "20261209-101502" for a file name, "2026-12-09T10:15:02 " to start a line.
std::string file_time_now() {
    const std::tm local = local_time_now();
    char text[32];
    return {text, std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local)};
}

std::string line_time_now() {
    const std::tm local = local_time_now();
    char text[32];
    return {text, std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S ", &local)};
}

struct ScanName {
    std::uint8_t scan_code;
    const char* name;
};

constexpr ScanName scan_names[] = {
    {SCAN_F2, "F2"},         {0x3D, "F3"},        {0x3E, "F4"},          {0x3F, "F5"},        {0x40, "F6"},
    {0x41, "F7"},            {0x42, "F8"},        {0x43, "F9"},          {SCAN_F10, "F10"},   {SCAN_F11, "F11"},
    {SCAN_F12, "F12"},       {SCAN_HOME, "Home"}, {SCAN_UP, "Up"},       {SCAN_PAGE_UP, "PgUp"},
    {SCAN_LEFT, "Left"},     {SCAN_RIGHT, "Right"}, {SCAN_END, "End"},   {SCAN_DOWN, "Down"},
    {SCAN_PAGE_DOWN, "PgDn"}, {SCAN_INSERT, "Ins"}, {SCAN_DELETE, "Del"},
};

// A key as the capture shows it: a printable character as itself, the others by name.
std::string key_text(KeyText key) {
    if (key.length == 2) {
        for (const ScanName& scan : scan_names) {
            if (key.bytes[1] == scan.scan_code) return "<" + std::string(scan.name) + ">";
        }
        return "<0 " + std::to_string(key.bytes[1]) + ">";
    }
    const std::uint8_t c = key.bytes[0];
    switch (c) {
        case KEY_ENTER: return "<CR>";
        case KEY_ESCAPE: return "<Esc>";
        case KEY_BACKSPACE: return "<BS>";
        case KEY_TAB: return "<Tab>";
        case F1_BYTE: return "<F1>";
        default: break;
    }
    if (c >= 1 && c <= 26) return "<Ctrl+" + std::string(1, static_cast<char>('A' + c - 1)) + ">";
    if (c < 32) return "<" + std::to_string(c) + ">";
    return std::string(cp437_utf8(c));
}

}  // namespace

TerminalCapture::~TerminalCapture() {
    if (file_ == nullptr) return;
    end_key_line();
    if (radio_line_open_) write("\n");
    std::fclose(file_);
}

bool TerminalCapture::open(const CaptureOptions& options, const std::string& port_name, std::string& problem) {
    if (options.folder.empty()) return false;
    std::error_code error;
    std::filesystem::create_directories(options.folder, error);
    const std::string stem = options.folder + "/" + file_time_now() + "-" + port_name;
    // Two sessions in one second each keep their own file.
    std::string file_path = stem + ".log";
    for (int n = 2; std::filesystem::exists(file_path, error) && n < 100; ++n) {
        file_path = stem + "-" + std::to_string(n) + ".log";
    }
    file_ = std::fopen(file_path.c_str(), "wx");
    if (file_ == nullptr) {
        problem = "capture not written: " + file_path + ": " + std::generic_category().message(errno);
        return false;
    }
    path_ = file_path;
    timestamps_ = options.timestamps;
    keys_ = options.keys;
    last_flush_ = std::chrono::steady_clock::now();
    return true;
}

void TerminalCapture::write(std::string_view bytes) {
    if (file_ != nullptr) std::fwrite(bytes.data(), 1, bytes.size(), file_);
}

void TerminalCapture::start_line() {
    if (timestamps_) write(line_time_now());
}

void TerminalCapture::end_key_line() {
    if (key_line_.empty()) return;
    if (radio_line_open_) {
        write("\n");
        radio_line_open_ = false;
        radio_line_cut_ = true;
    }
    start_line();
    write("» " + key_line_ + "\n");
    key_line_.clear();
}

void TerminalCapture::radio_byte(std::uint8_t byte) {
    if (file_ == nullptr) return;
    if (byte == CARRIAGE_RETURN) {
        end_key_line();
        // A line the keys cut is ended already; on the screen this is still that line.
        if (radio_line_cut_) {
            radio_line_cut_ = false;
            return;
        }
        if (!radio_line_open_) start_line();
        write("\n");
        radio_line_open_ = false;
        return;
    }
    if (byte <= HIGHEST_DROPPED) return;
    end_key_line();
    radio_line_cut_ = false;
    if (!radio_line_open_) {
        start_line();
        radio_line_open_ = true;
    }
    write(cp437_utf8(byte));
}

void TerminalCapture::key(KeyText key) {
    if (file_ == nullptr || !keys_) return;
    key_line_ += key_text(key);
    if (key.is(KEY_ENTER)) end_key_line();
}

void TerminalCapture::flush_if_due() {
    if (file_ == nullptr) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_flush_ < FLUSH_INTERVAL) return;
    flush();
}

void TerminalCapture::flush() {
    if (file_ == nullptr) return;
    end_key_line();
    std::fflush(file_);
    last_flush_ = std::chrono::steady_clock::now();
}

}  // namespace zizuvu
