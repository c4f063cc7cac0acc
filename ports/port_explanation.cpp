#include "ports/port_explanation.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <vector>

namespace zizuvu {
namespace {

// What the port looks like now, as far as the fix depends on it.
enum class Situation {
    ready,
    no_device,
    link_to_nothing,
    not_a_directory,
    link_loop,
    path_too_long,
    unreachable,
    folder_closed,
    join_group,
    new_login,
    owner_only,
    denied,
    held,
    held_by_several,
    not_serial,
};

constexpr int ANY_ERROR = -1;

// %P the path, %T where a link points, %K what is there instead of a port, %G the
// device's group, %O its owner, %M its mode, %U this user, %H the holder, %I its
// PID, %X how many more hold it, %N the error number.
struct Explanation {
    int error_number;
    Situation situation;
    std::string_view text;
};

// The first row that matches is used: the error rows tell what went wrong while the
// port looks fine now; otherwise the port's state now decides.
constexpr std::array EXPLANATIONS = {
    Explanation{0, Situation::ready, "%P is ready"},
    Explanation{53, Situation::ready, "no device at %P when opened; there is one now: try again"},
    Explanation{70, Situation::ready, "%P was busy or refused; it is free now: try again"},
    Explanation{75, Situation::ready, "%P: its driver cannot do what was asked: try another adapter"},
    Explanation{76, Situation::ready, "the path %P was wrong on the way; it works now: try again"},
    Explanation{5, Situation::ready, "%P refused a line setting: try another baud rate or setting"},
    Explanation{57, Situation::ready, "line errors on %P (overrun, framing): check baud rate and cable"},
    Explanation{69, Situation::ready, "read or write on %P failed or was cut short: check the cable"},
    Explanation{72, Situation::ready, "%P failed (I/O error): adapter pulled? plug it in, then reopen"},
    Explanation{ANY_ERROR, Situation::ready, "error %N on %P, which looks fine now: try again"},
    Explanation{ANY_ERROR, Situation::no_device, "no device at %P: plugged in?"},
    Explanation{ANY_ERROR, Situation::link_to_nothing, "%P leads to %T, which is gone: plugged in?"},
    Explanation{ANY_ERROR, Situation::not_a_directory, "%P: a part of the path is not a directory: check it"},
    Explanation{ANY_ERROR, Situation::link_loop, "%P: the links on the path go round in a loop: check them"},
    Explanation{ANY_ERROR, Situation::path_too_long, "%P: the path is too long: check it"},
    Explanation{ANY_ERROR, Situation::unreachable, "%P cannot be looked at: check the path"},
    Explanation{ANY_ERROR, Situation::folder_closed, "no permission to reach %P: a folder on the way is closed"},
    Explanation{ANY_ERROR, Situation::join_group, "not in group %G: sudo usermod -aG %G %U, then log in again"},
    Explanation{ANY_ERROR, Situation::new_login, "in group %G only from the next login: log out and in again"},
    Explanation{ANY_ERROR, Situation::owner_only, "only %O may use %P (mode %M): ask for a udev rule"},
    Explanation{ANY_ERROR, Situation::denied, "no permission for %P (%O:%G, mode %M)"},
    Explanation{ANY_ERROR, Situation::held, "in use by %H (PID %I)"},
    Explanation{ANY_ERROR, Situation::held_by_several, "in use by %H (PID %I) and %X more"},
    Explanation{ANY_ERROR, Situation::not_serial, "%P is %K, not a serial port: check the path"},
};

Situation missing_situation(const PortState& state) {
    if (!state.link_target.empty()) return Situation::link_to_nothing;
    switch (state.error) {
    case 0:
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return Situation::no_device;
    case ENOTDIR:
        return Situation::not_a_directory;
    case ELOOP:
        return Situation::link_loop;
    case ENAMETOOLONG:
        return Situation::path_too_long;
    default:
        return Situation::unreachable;
    }
}

// Joining the device's group is the usual fix, but never advised for the root
// group: that would hand out far more than one port.
Situation permission_situation(const PortAccess& access) {
    if (access.group.empty()) return Situation::folder_closed;
    if (access.group_may_use && access.group != "root" && !access.in_group_now) {
        return access.in_group_at_login ? Situation::new_login : Situation::join_group;
    }
    if ((!access.group_may_use || access.group == "root") && access.owner != access.user) return Situation::owner_only;
    return Situation::denied;
}

Situation situation_of(const PortState& state) {
    switch (state.condition) {
    case PortCondition::present:
        return Situation::ready;
    case PortCondition::missing:
        return missing_situation(state);
    case PortCondition::no_permission:
        return permission_situation(state.access);
    case PortCondition::in_use:
        return state.holders.size() > 1 ? Situation::held_by_several : Situation::held;
    case PortCondition::not_a_serial_device:
        return Situation::not_serial;
    }
    return Situation::unreachable;
}

std::string_view text_for(int error_number, Situation situation) {
    for (const Explanation& row : EXPLANATIONS) {
        if ((row.error_number == error_number || row.error_number == ANY_ERROR) && row.situation == situation) {
            return row.text;
        }
    }
    return "error %N on %P";
}

struct Field {
    char key;
    std::string value;
    bool shortened_to_fit;  // a path, cut from the left when the row is too narrow
};

std::string octal(unsigned mode) {
    std::array<char, 8> digits{};
    std::snprintf(digits.data(), digits.size(), "%03o", mode);
    return digits.data();
}

std::vector<Field> fields_of(int error_number, const std::string& path, const PortState& state) {
    const PortHolder first = state.holders.empty() ? PortHolder{} : state.holders.front();
    return {
        {'P', path, true},
        {'T', state.link_target, true},
        {'K', state.kind, false},
        {'G', state.access.group, false},
        {'O', state.access.owner, false},
        {'M', octal(state.access.mode), false},
        {'U', state.access.user, false},
        {'H', first.name.empty() ? "another program" : first.name, false},
        {'I', std::to_string(first.pid), false},
        {'X', std::to_string(state.holders.empty() ? 0 : state.holders.size() - 1), false},
        {'N', std::to_string(error_number), false},
    };
}

constexpr std::size_t NO_FIELD = static_cast<std::size_t>(-1);

// The field a "%" at `at` stands for, or NO_FIELD for a plain character.
std::size_t field_at(std::string_view text, std::size_t at, const std::vector<Field>& fields) {
    if (text[at] != '%' || at + 1 >= text.size()) return NO_FIELD;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].key == text[at + 1]) return i;
    }
    return NO_FIELD;
}

// The paths share what room the fixed words leave, the shorter ones keeping all of theirs.
void fit_paths(std::string_view text, std::vector<Field>& fields, std::size_t width) {
    std::size_t fixed = 0;
    std::vector<std::size_t> paths;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t field = field_at(text, i, fields);
        if (field == NO_FIELD) {
            ++fixed;
            continue;
        }
        ++i;
        if (fields[field].shortened_to_fit) {
            paths.push_back(field);
        } else {
            fixed += fields[field].value.size();
        }
    }
    std::sort(paths.begin(), paths.end(),
              [&fields](std::size_t a, std::size_t b) { return fields[a].value.size() < fields[b].value.size(); });
    std::size_t room = width > fixed ? width - fixed : 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::string& value = fields[paths[i]].value;
        value = shorten_path_left(value, room / (paths.size() - i));
        room -= std::min(room, value.size());
    }
}

std::string fill(std::string_view text, const std::vector<Field>& fields) {
    std::string filled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t field = field_at(text, i, fields);
        if (field == NO_FIELD) {
            filled += text[i];
            continue;
        }
        filled += fields[field].value;
        ++i;
    }
    return filled;
}

}  // namespace

std::string shorten_path_left(const std::string& path, std::size_t width) {
    static constexpr std::string_view MARK = "...";
    if (path.size() <= width) return path;
    if (width <= MARK.size()) return std::string(MARK.substr(0, width));
    std::string tail = path.substr(path.size() - (width - MARK.size()));
    // Start the kept part at a folder boundary where there is one.
    const std::size_t slash = tail.find('/');
    if (slash != std::string::npos && slash + 1 < tail.size()) tail = tail.substr(slash);
    return std::string(MARK) + tail;
}

std::string explain_port_problem(int error_number, const std::string& path, const PortState& state, std::size_t width) {
    const std::string_view text = text_for(error_number, situation_of(state));
    std::vector<Field> fields = fields_of(error_number, path, state);
    fit_paths(text, fields, width);
    std::string explanation = fill(text, fields);
    // Only a name beyond all reason (a group of 60 letters) gets here.
    if (explanation.size() > width) explanation.resize(width);
    return explanation;
}

std::string describe_port_state(const PortState& state) {
    switch (state.condition) {
    case PortCondition::present:
        return "present";
    case PortCondition::missing:
        return "missing";
    case PortCondition::no_permission:
        return "no permission for this user";
    case PortCondition::in_use:
        return explain_port_problem(0, "", state, std::string::npos);
    case PortCondition::not_a_serial_device:
        return state.kind.empty() ? "not a serial device" : "not a serial device (" + state.kind + ")";
    }
    return "unknown";
}

}  // namespace zizuvu
