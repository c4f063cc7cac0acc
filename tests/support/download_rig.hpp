#pragma once
// A download run inside the test process against the simulated radio: the radio
// started with its options and a log, Com1 pointed at it, and the program's state as
// start-up leaves it, driven by a scripted keyboard.
//
//   RadioRig              radio + Com1 + program
//   RadioRig::received    the bytes the radio received, in order (after it stopped)
//   Memory                radio memory by address
//   image_memory          every byte a whole walk of the compiled-in image sends
//   dumped_memory         what the radio's dump says it was programmed with
//   first_data_byte       the number of the first data byte of a record, as the radio counts them
//   address_of_data_byte  the radio address the n-th data byte goes to
//   fault, radio_with     radio options: a quick erase and the given faults
//   cells                 a piece of a screen row
//   expect_finished       the finish screen is up, the port closed, priority normal

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/program_rig.hpp"
#include "tests/support/pty_pair.hpp"
#include "tests/support/radio_peer.hpp"
#include "tests/support/run_command.hpp"

namespace zizuvu::testing {

using Memory = std::map<std::uint16_t, std::uint8_t>;

struct RadioRig {
    explicit RadioRig(const std::vector<std::string>& radio_options);

    // Stops the radio (so its log is complete) and returns the bytes it received.
    std::vector<std::uint8_t> received();
    std::string radio_summary();

    TempDir dir;
    std::unique_ptr<RadioProcess> radio;
    std::unique_ptr<ScopedEnvironment> com1;
    ProgramRig rig;
    ScriptedConsole& keys = rig.keys;
    Program& program = rig.program;
    Session& session = rig.session;
    Downloads& downloads = rig.downloads;
};

Memory image_memory();
Memory dumped_memory(const std::string& intel_hex);
long first_data_byte(int record_index);
std::uint16_t address_of_data_byte(long n);

std::string fault(const char* kind, long data_byte);
std::vector<std::string> radio_with(std::initializer_list<std::string> faults, int erase_ms = 20);
std::string cells(const Screen& screen, int row, int column, std::size_t count);
void expect_finished(RadioRig& r);

// Where `sequence` stands in `bytes` from `from` on, or -1.
long find_bytes(const std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& sequence, long from = 0);

}  // namespace zizuvu::testing
