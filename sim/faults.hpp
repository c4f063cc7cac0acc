#pragma once
// The faults the simulated radio can be told to make, so that every question the
// downloads put to the operator can be raised. Each one strikes once.
//
//   FaultKind        what goes wrong
//   Fault            a kind, the data byte it strikes at, and its value (stall time, noise count, a byte)
//   FaultPlan        the faults asked for on the command line
//   parse_fault      one --fault argument, or why it is not one
//   take_fault       the fault of a kind due at a data byte, used up as it is taken
//   FAULT_HELP       the list for --help

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zizuvu::sim {

enum class FaultKind {
    no_address_echo,         // the address bytes are lost on the line: no echo at all
    half_address_echo,       // the low address byte is lost: only the high byte is echoed
    wrong_address_echo,      // the echo's low byte arrives changed
    no_acknowledgement,      // X.72: the data frame is lost: no acknowledgement, nothing programmed
    wrong_acknowledgement,   // X.72: programmed, the acknowledgement arrives changed
    no_data_echo,            // X.71: the data byte is lost: no echo, nothing programmed
    wrong_data_echo,         // X.71: programmed, the echo arrives changed
    stall,                   // the radio stops hearing and answering for a while (value: ms)
    noise,                   // stray bytes on the line ahead of the answer (value: how many)
    silent_identification,   // X.72: no identification at all
    identification_lead,     // X.72: the identification starts with value instead of 0xFF
    erase_reply,             // X.72: the erase request is answered with value, later 0xFF as an X.71 radio
};

struct Fault {
    FaultKind kind;
    long data_byte = 0;  // counted from 0 in each download; not used by the identification and erase faults
    int value = 0;
    bool used = false;
};

struct FaultPlan {
    std::vector<Fault> faults;
};

// "KIND@N", "stall@N:MS", "noise@N:COUNT", "silent-identification",
// "identification-lead=0xNN", "erase-reply=0xNN".
std::optional<Fault> parse_fault(std::string_view text, std::string& why_not);

// For kinds that strike at a data byte, data_byte must match; for the others it is ignored.
std::optional<Fault> take_fault(FaultPlan& plan, FaultKind kind, long data_byte = 0);

std::string_view fault_name(FaultKind kind);

extern const char* const FAULT_HELP;

}  // namespace zizuvu::sim
