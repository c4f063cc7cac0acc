#include "sim/faults.hpp"

#include <charconv>

namespace zizuvu::sim {
namespace {

struct KindName {
    FaultKind kind;
    std::string_view name;
    bool at_data_byte;
};

constexpr KindName KINDS[] = {
    {FaultKind::no_address_echo, "no-address-echo", true},
    {FaultKind::half_address_echo, "half-address-echo", true},
    {FaultKind::wrong_address_echo, "wrong-address-echo", true},
    {FaultKind::no_acknowledgement, "no-acknowledgement", true},
    {FaultKind::wrong_acknowledgement, "wrong-acknowledgement", true},
    {FaultKind::no_data_echo, "no-data-echo", true},
    {FaultKind::wrong_data_echo, "wrong-data-echo", true},
    {FaultKind::stall, "stall", true},
    {FaultKind::noise, "noise", true},
    {FaultKind::silent_identification, "silent-identification", false},
    {FaultKind::identification_lead, "identification-lead", false},
    {FaultKind::erase_reply, "erase-reply", false},
};

const KindName* kind_named(std::string_view name) {
    for (const KindName& k : KINDS) {
        if (k.name == name) return &k;
    }
    return nullptr;
}

bool parse_number(std::string_view text, long& value) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

}  // namespace

std::string_view fault_name(FaultKind kind) {
    for (const KindName& k : KINDS) {
        if (k.kind == kind) return k.name;
    }
    return "?";
}

std::optional<Fault> parse_fault(std::string_view text, std::string& why_not) {
    const std::size_t at = text.find_first_of("@=");
    const KindName* kind = kind_named(text.substr(0, at));
    if (kind == nullptr) {
        why_not = "unknown fault \"" + std::string(text.substr(0, at)) + "\"";
        return std::nullopt;
    }
    Fault fault{kind->kind};
    std::string_view rest = at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
    const bool byte_valued = kind->kind == FaultKind::identification_lead || kind->kind == FaultKind::erase_reply;
    if (kind->at_data_byte) {
        if (at == std::string_view::npos || text[at] != '@') {
            why_not = std::string(kind->name) + " needs the data byte it strikes at: " + std::string(kind->name) + "@N";
            return std::nullopt;
        }
        const std::size_t colon = rest.find(':');
        if (!parse_number(rest.substr(0, colon), fault.data_byte)) {
            why_not = "bad data byte index in \"" + std::string(text) + "\"";
            return std::nullopt;
        }
        if (colon != std::string_view::npos) {
            long value = 0;
            if ((kind->kind != FaultKind::stall && kind->kind != FaultKind::noise) ||
                !parse_number(rest.substr(colon + 1), value) || value > 3600000) {
                why_not = "bad value in \"" + std::string(text) + "\"";
                return std::nullopt;
            }
            fault.value = static_cast<int>(value);
        } else {
            fault.value = kind->kind == FaultKind::stall ? 2000 : 1;
        }
        if (kind->kind == FaultKind::noise && fault.value == 0) fault.value = 1;
    } else if (byte_valued) {
        long value = 0;
        if (at == std::string_view::npos || text[at] != '=' || !parse_number(rest, value) || value > 255) {
            why_not = std::string(kind->name) + " needs a byte value: " + std::string(kind->name) + "=0xNN";
            return std::nullopt;
        }
        fault.value = static_cast<int>(value);
    } else if (at != std::string_view::npos) {
        why_not = std::string(kind->name) + " takes no value";
        return std::nullopt;
    }
    return fault;
}

std::optional<Fault> take_fault(FaultPlan& plan, FaultKind kind, long data_byte) {
    const KindName* named = kind_named(fault_name(kind));
    for (Fault& fault : plan.faults) {
        if (fault.used || fault.kind != kind) continue;
        if (named->at_data_byte && fault.data_byte != data_byte) continue;
        fault.used = true;
        return fault;
    }
    return std::nullopt;
}

const char* const FAULT_HELP =
    "  Faults (--fault FAULT, as often as needed; each strikes once). N is the data byte,\n"
    "  counted from 0 in each download (a byte sent again after a resync keeps its number):\n"
    "    no-address-echo@N        the address bytes are lost on the line: no echo at all\n"
    "    half-address-echo@N      the low address byte is lost: only the high byte is echoed\n"
    "    wrong-address-echo@N     the address echo arrives with its low byte changed\n"
    "    no-acknowledgement@N     X.72: the data frame is lost: no acknowledgement\n"
    "    wrong-acknowledgement@N  X.72: the byte is programmed, its acknowledgement arrives changed\n"
    "    no-data-echo@N           X.71: the data byte is lost: no echo\n"
    "    wrong-data-echo@N        X.71: the byte is programmed, its echo arrives changed\n"
    "    stall@N[:MS]             the radio hears and answers nothing for MS ms (default 2000)\n"
    "                             from the first byte of data byte N on; that byte is lost\n"
    "    noise@N[:COUNT]          COUNT stray bytes (default 1) on the line ahead of the address echo\n"
    "    silent-identification    X.72: no identification is sent\n"
    "    identification-lead=0xNN X.72: the identification starts with 0xNN instead of 0xFF\n"
    "    erase-reply=0xNN         X.72: the erase request is answered with 0xNN and, once erased,\n"
    "                             with 0xFF; the radio then downloads as an X.71 radio does\n";

}  // namespace zizuvu::sim
