// Both downloads and the program retry against a radio that answers every wait with
// the fuzzer's bytes, the operator's answers at every question from the same input
// (see download_radio.hpp for its layout).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "app/main_menu.hpp"
#include "app/program.hpp"
#include "download/download_procedures.hpp"
#include "fuzz/download_radio.hpp"
#include "serial/serial_channel.hpp"

using namespace zizuvu;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::radio_side();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    fuzzing::flush_line();
    fuzzing::Opening opening = fuzzing::opening_of(data[0]);
    fuzzing::FuzzedBench bench(data + 1, size - 1, std::move(opening.keys));
    Console console(bench);
    Program program(console);
    start_up(program);
    switch (opening.procedure) {
        case fuzzing::Procedure::older: download_older_radio(program.session, program.downloads); break;
        case fuzzing::Procedure::current: download_current_radio(program.session, program.downloads); break;
        case fuzzing::Procedure::retry: program_retry(program.session, program.downloads); break;
    }
    // Every procedure closes what it opened, whatever the radio said.
    if (find_channel_handle(program.session.channels, PORT_CHANNEL) != NO_OS_HANDLE) std::abort();
    return 0;
}
