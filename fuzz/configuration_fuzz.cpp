// Arbitrary bytes as a configuration file: every one is read or refused with a reason,
// never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/configuration.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const zizuvu::ConfigurationResult result = zizuvu::read_configuration(text, "dir/fuzz.conf");
    if (result.status == zizuvu::ConfigurationStatus::refused && result.message.empty()) std::abort();
    return 0;
}
