// How fast received text reaches the operator's screen through the setup terminal,
// and the same stream through picocom in the same kind of pseudo-terminal, same run.
// Both read the stream from a pseudo-terminal line and draw on a pseudo-terminal that
// this benchmark reads as an operator's terminal would (parsing what arrives); the
// time runs from the first byte sent until the end marker is on that screen.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <thread>

#include "bench/terminal_session.hpp"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using zizuvu::testing::PtyPair;
using zizuvu::testing::PtyProcess;

constexpr std::size_t STREAM_BYTES = 4 << 20;
constexpr int ROUNDS = 3;
constexpr const char* PICOCOM = "/usr/bin/picocom";
constexpr std::string_view MARKER = "ZIZUVU-END-OF-STREAM";

// The radio's menu text, line after line, as a radio that is asked for it over and over.
std::string radio_text() {
    static constexpr std::string_view lines[] = {
        "  1  Data port baud rate ......... 38400",
        "  2  Operating mode .............. Point to multipoint slave",
        "  3  Radio settings",
        "  Hop pattern ..................... 12",
        "Enter choice: Invalid choice",
        "Varnello 900 MHz radio modem   firmware X.72   serial 123456",
    };
    std::string text;
    for (std::size_t n = 0; text.size() < STREAM_BYTES; ++n) {
        text += lines[n % std::size(lines)];
        text += " #" + std::to_string(n) + "\r\n";
    }
    return text;
}

struct Figure {
    double megabytes_per_second = 0;
    double screen_bytes_per_byte = 0;
    bool ok = false;
};

// Sends the stream into the line and waits until the marker shows.
Figure measure(PtyProcess& shown, PtyPair& line, const std::string& text, bool raw_output) {
    const std::size_t output_before = shown.output().size();
    const auto start = Clock::now();
    bool sent = false;
    std::thread feeder([&] {
        sent = zizuvu::bench::write_all(line.master(), text, 120s) &&
               zizuvu::bench::write_all(line.master(), std::string(MARKER) + "\r\n", 10s);
    });
    std::size_t searched = output_before;
    const bool shows = shown.wait_until(
        [&](const zizuvu::testing::TerminalScreen& screen) {
            if (!raw_output) return screen.shows(MARKER);
            // A terminal that passes bytes through: the marker is in its output as it is.
            const bool found = shown.output().find(MARKER, searched) != std::string::npos;
            searched = std::max(searched, shown.output().size()) - MARKER.size();
            return found;
        },
        120s);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    feeder.join();
    // Every byte was taken in order, or the stream's last line would not stand above the marker.
    const std::size_t last_line = text.rfind('\n', text.size() - 2) + 1;
    const bool complete = shown.screen().shows(text.substr(last_line, text.size() - last_line - 2));
    Figure figure;
    figure.ok = shows && sent && (raw_output || complete);
    figure.megabytes_per_second = static_cast<double>(text.size()) / seconds / 1e6;
    figure.screen_bytes_per_byte =
        static_cast<double>(shown.output().size() - output_before) / static_cast<double>(text.size());
    return figure;
}

Figure zizuvu_round(const std::string& text) {
    PtyPair line;
    auto program = zizuvu::bench::start_setup_terminal(line);
    if (!program) return {};
    Figure figure = measure(*program, line, text, false);
    program->send("q\x1b");
    program->wait_exit();
    return figure;
}

Figure picocom_round(const std::string& text) {
    PtyPair line;
    auto picocom = PtyProcess::start({PICOCOM, "--baud", "19200", "--nolock", line.port_path()});
    const auto ready = [&](const auto&) { return picocom->output().find("Terminal ready") != std::string::npos; };
    if (!picocom || !picocom->wait_until(ready, 10s)) {
        std::fprintf(stderr, "picocom did not start\n");
        return {};
    }
    Figure figure = measure(*picocom, line, text, true);
    picocom->signal(SIGTERM);
    picocom->wait_exit();
    return figure;
}

// The radio's text at the speed of a 19200-baud line, a line at a time: what reaching
// the screen costs the operator's terminal (and a slow link to it) in ordinary use.
double paced_screen_bytes_per_byte(const std::string& text) {
    PtyPair line;
    auto program = zizuvu::bench::start_setup_terminal(line);
    if (!program) return 0;
    constexpr std::size_t PACED_BYTES = 40000;
    const std::size_t output_before = program->output().size();
    const auto start = Clock::now();
    std::size_t sent = 0;
    while (sent < PACED_BYTES) {
        const std::size_t end = text.find('\n', sent) + 1;
        if (!zizuvu::bench::write_all(line.master(), std::string_view(text).substr(sent, end - sent), 10s)) return 0;
        sent = end;
        // Reading what the program draws meanwhile, as the operator's terminal does.
        const auto due = start + std::chrono::microseconds(sent * 1'000'000 / 1920);
        program->drain_for(std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()));
    }
    program->drain_for(200ms);
    const double ratio = static_cast<double>(program->output().size() - output_before) / static_cast<double>(sent);
    program->send("q\x1b");
    program->wait_exit();
    return ratio;
}

void print(const char* who, int round, const Figure& figure) {
    if (!figure.ok) {
        std::printf("  %-8s round %d: did not finish\n", who, round);
        return;
    }
    std::printf("  %-8s round %d: %7.2f MB/s shown, %.2f bytes to the screen per byte received\n", who, round,
                figure.megabytes_per_second, figure.screen_bytes_per_byte);
}

}  // namespace

int main() {
    const std::string text = radio_text();
    const bool have_picocom = access(PICOCOM, X_OK) == 0;
    std::printf("received text shown on screen, %zu bytes of menu lines per round:\n", text.size());
    double best_zizuvu = 0;
    double best_picocom = 0;
    for (int round = 1; round <= ROUNDS; ++round) {
        const Figure ours = zizuvu_round(text);
        print("zizuvu", round, ours);
        if (ours.ok) best_zizuvu = std::max(best_zizuvu, ours.megabytes_per_second);
        if (!have_picocom) continue;
        const Figure theirs = picocom_round(text);
        print("picocom", round, theirs);
        if (theirs.ok) best_picocom = std::max(best_picocom, theirs.megabytes_per_second);
    }
    std::printf("at a 19200-baud radio's pace: %.1f bytes to the operator's terminal per byte received\n",
                paced_screen_bytes_per_byte(text));
    std::printf("best: zizuvu %.2f MB/s (target: at least 1 MB/s", best_zizuvu);
    if (have_picocom) {
        std::printf(" and at least picocom's %.2f MB/s)\n", best_picocom);
    } else {
        std::printf("; picocom is not installed here, so there is no comparison)\n");
    }
    return 0;
}
