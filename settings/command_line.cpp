#include "settings/command_line.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <initializer_list>

#include "settings/exit_status.hpp"
#include "settings/usage_text.hpp"

namespace zizuvu {
namespace {

// The actions an option may stand with, as bits.
enum ActionBit : unsigned { RUN = 1, LIST = 2, CHECK = 4, HISTORY = 8, FLASH = 16 };

unsigned action_bit(CommandAction action) {
    switch (action) {
    case CommandAction::list: return LIST;
    case CommandAction::check: return CHECK;
    case CommandAction::history: return HISTORY;
    case CommandAction::flash: return FLASH;
    default: return RUN;
    }
}

const char* action_word(unsigned bit) {
    switch (bit) {
    case LIST: return "--list";
    case CHECK: return "--check";
    case HISTORY: return "--history";
    case FLASH: return "flash";
    default: return "the menu";
    }
}

// An option of the main command; flash's own options stand only with flash.
struct Rule {
    const char* name;
    unsigned allowed;
    CLI::Option* option = nullptr;
};

struct Reader {
    CLI::App app{"", "zizuvu"};
    CLI::App* flash = nullptr;
    std::vector<Rule> rules;
    // flash's own; --com, --records and --config may also stand after `flash`
    CLI::Option *radio = nullptr, *flash_port = nullptr, *high_speed = nullptr, *before_545 = nullptr,
                *flash_image = nullptr, *attempts = nullptr, *wait_seconds = nullptr, *flash_json = nullptr,
                *flash_com = nullptr, *flash_records = nullptr, *flash_config = nullptr, *flash_help = nullptr;
};

// Options with a value take at most the next word and never one that is an option,
// so "--image --check" is a missing image, not an image named "--check".
CLI::Option* add_value(CLI::App& app, const std::string& name) {
    return app.add_option(name)
        ->expected(0, 1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

CLI::Option* add_switch(CLI::App& app, const std::string& name) { return app.add_flag(name)->disable_flag_override(); }

bool is_switch(const CLI::Option* option) { return option->nonpositional() && option->get_expected_max() == 0; }

void build(Reader& r) {
    CLI::App& app = r.app;
    app.set_help_flag();
    const unsigned ALL = RUN | LIST | CHECK | HISTORY | FLASH;
    r.rules = {
        {"PATH", RUN | LIST, app.add_option("PATH")},
        {"--com", RUN | LIST | FLASH, add_value(app, "--com")},
        {"--port", RUN | HISTORY, add_value(app, "--port")},
        {"--baud", RUN, add_value(app, "--baud")},
        {"--image", RUN | CHECK, add_value(app, "--image")},
        {"--capture", RUN, add_value(app, "--capture")},
        {"--capture-timestamps", RUN, add_switch(app, "--capture-timestamps")},
        {"--capture-keys", RUN, add_switch(app, "--capture-keys")},
        {"--records", RUN | HISTORY | FLASH, add_value(app, "--records")},
        {"--config", ALL, add_value(app, "--config")},
        {"--check", CHECK, add_switch(app, "--check")},
        {"--list", LIST, add_switch(app, "--list")},
        {"--history", HISTORY, add_switch(app, "--history")},
        {"--serial", HISTORY, add_value(app, "--serial")},
        {"--since", HISTORY, add_value(app, "--since")},
        {"--csv", HISTORY, add_switch(app, "--csv")},
        {"--json", HISTORY, add_switch(app, "--json")},
        {"--help", 0, add_switch(app, "--help")},
        {"--version", 0, add_switch(app, "--version")},
    };
    CLI::App& flash = *app.add_subcommand("flash");
    flash.set_help_flag();
    r.flash = &flash;
    r.radio = add_value(flash, "--radio");
    r.flash_port = add_value(flash, "--port");
    r.high_speed = add_switch(flash, "--high-speed");
    r.before_545 = add_switch(flash, "--firmware-before-5.45");
    r.flash_image = add_value(flash, "--image");
    r.attempts = add_value(flash, "--attempts");
    r.wait_seconds = add_value(flash, "--wait-seconds");
    r.flash_json = add_switch(flash, "--json");
    r.flash_com = add_value(flash, "--com");
    r.flash_records = add_value(flash, "--records");
    r.flash_config = add_value(flash, "--config");
    r.flash_help = add_switch(flash, "--help");
}

CLI::Option* rule_option(const Reader& r, std::string_view name) {
    for (const Rule& rule : r.rules) {
        if (name == rule.name) return rule.option;
    }
    return nullptr;
}

bool given(const CLI::Option* option) { return option != nullptr && option->count() > 0; }

// The words an option was given, from before and after `flash` together.
std::vector<std::string> words(std::initializer_list<const CLI::Option*> options) {
    std::vector<std::string> all;
    for (const CLI::Option* option : options) {
        if (option != nullptr) all.insert(all.end(), option->results().begin(), option->results().end());
    }
    return all;
}

// Reading stops at the first problem; `problem` holds it.
struct Reading {
    ParsedCommandLine parsed;
    std::string problem;
    bool failed() const { return !problem.empty(); }
};

// The one value of a single-valued option, checked for being there at all.
std::optional<std::string> single_value(Reading& reading, const char* name,
                                        std::initializer_list<const CLI::Option*> options) {
    const std::vector<std::string> values = words(options);
    if (reading.failed() || values.empty()) return std::nullopt;
    if (values.size() > 1) {
        reading.problem = std::string(name) + " is given more than once";
        return std::nullopt;
    }
    if (values[0].empty()) {
        reading.problem = std::string(name) + " needs a value";
        return std::nullopt;
    }
    return values[0];
}

template <typename T>
std::optional<T> checked_value(Reading& reading, const char* name, std::initializer_list<const CLI::Option*> options,
                               Checked<T> (*check)(std::string_view)) {
    const auto text = single_value(reading, name, options);
    if (!text) return std::nullopt;
    Checked<T> checked = check(*text);
    if (!checked.ok()) {
        reading.problem = std::string(name) + ": " + checked.problem;
        return std::nullopt;
    }
    return checked.value;
}

std::optional<unsigned> count_value(Reading& reading, const char* name, const CLI::Option* option, unsigned highest) {
    const auto text = single_value(reading, name, {option});
    if (!text) return std::nullopt;
    const Checked<unsigned> checked = check_count(*text, 1, highest);
    if (!checked.ok()) {
        reading.problem = std::string(name) + ": " + checked.problem;
        return std::nullopt;
    }
    return checked.value;
}

CommandAction chosen_action(const Reader& r) {
    if (r.flash->parsed()) return CommandAction::flash;
    if (given(rule_option(r, "--history"))) return CommandAction::history;
    if (given(rule_option(r, "--list"))) return CommandAction::list;
    if (given(rule_option(r, "--check"))) return CommandAction::check;
    return CommandAction::run;
}

// A value left out ("--image --check") is the first thing to say: the rest of the
// line may only look wrong because of it.
std::string missing_value(const Reader& r) {
    for (const CLI::App* app : {static_cast<const CLI::App*>(&r.app), static_cast<const CLI::App*>(r.flash)}) {
        for (const CLI::Option* option : app->get_options()) {
            const auto& results = option->results();
            const bool empty = std::any_of(results.begin(), results.end(), [](const std::string& v) { return v.empty(); });
            if (option->nonpositional() && !is_switch(option) && empty) {
                return option->get_name() + " needs a value";
            }
        }
    }
    return {};
}

// Options that would have no effect are refused: a technician who adds --baud to
// --check expects it to matter.
void check_combinations(const Reader& r, Reading& reading) {
    reading.problem = missing_value(r);
    if (reading.failed()) return;
    const char* chosen = nullptr;
    for (const char* selector : {"--history", "--list", "--check"}) {
        if (!given(rule_option(r, selector))) continue;
        if (chosen != nullptr) {
            reading.problem = std::string(chosen) + " and " + selector + " do not go together";
            return;
        }
        chosen = selector;
    }
    const unsigned bit = action_bit(reading.parsed.action);
    for (const Rule& rule : r.rules) {
        if (!given(rule.option) || (rule.allowed & bit) != 0 || rule.allowed == 0) continue;
        // "--serial goes only with --history"; but the action switches themselves, and
        // the terminal's own options, "do not go with" the action chosen.
        const bool one_action = (rule.allowed & (rule.allowed - 1)) == 0 && rule.allowed != RUN &&
                                std::string_view(rule.name) != action_word(rule.allowed);
        reading.problem = std::string(rule.name) + (one_action ? " goes only with " : " does not go with ") +
                          action_word(one_action ? rule.allowed : bit);
        return;
    }
    if (given(rule_option(r, "--csv")) && given(rule_option(r, "--json"))) {
        reading.problem = "--csv and --json do not go together";
    }
}

void read_devices(const Reader& r, Reading& reading) {
    auto& devices = reading.parsed.options.devices;
    const auto assign = [&](int port, std::string path, const std::string& shown) {
        const bool taken = std::any_of(devices.begin(), devices.end(), [&](const auto& d) { return d.port == port; });
        if (taken) {
            reading.problem = "two devices are given for " + port_name(port) + " (" + shown + ")";
            return;
        }
        devices.push_back({port, std::move(path)});
    };
    if (const CLI::Option* path = rule_option(r, "PATH"); given(path)) {
        const std::string& device = path->results().front();
        if (device.empty()) {
            reading.problem = "PATH is empty";
        } else if (device.front() == '-') {
            reading.problem = "unknown option " + quote_value(device);
        } else if (device == "help" || device == "version" || device == "history" || device == "list" ||
                   device == "check") {
            reading.problem = quote_value(device) + " is not a device path; did you mean --" + device + "?";
        } else {
            assign(1, device, "PATH");
        }
    }
    for (const std::string& word : words({rule_option(r, "--com"), r.flash_com})) {
        if (reading.failed()) return;
        const std::size_t equals = word.find('=');
        if (equals == std::string::npos) {
            reading.problem = "--com: " + quote_value(word) + " is not N=PATH";
            continue;
        }
        const std::string number = word.substr(0, equals);
        Checked<int> port = check_port_name(number.size() == 1 ? "Com" + number : number);
        const Checked<std::string> path = check_device_path(std::string_view(word).substr(equals + 1));
        if (!port.ok()) {
            reading.problem = "--com: " + quote_value(number) + " is not a port number (1 to 9)";
        } else if (!path.ok()) {
            reading.problem = "--com " + quote_value(word) + ": " + path.problem;
        } else {
            assign(port.value, path.value, "--com " + quote_value(word));
        }
    }
}

void read_history(const Reader& r, Reading& reading) {
    CommandLineOptions& o = reading.parsed.options;
    o.serial = checked_value(reading, "--serial", {rule_option(r, "--serial")}, check_serial_number);
    o.since = checked_value(reading, "--since", {rule_option(r, "--since")}, check_day);
    if (given(rule_option(r, "--csv"))) o.history_format = HistoryFormat::csv;
    if (given(rule_option(r, "--json"))) o.history_format = HistoryFormat::json_lines;
}

std::optional<FlashRadio> radio_named(std::string_view word) {
    if (word == "older") return FlashRadio::older;
    if (word == "current") return FlashRadio::current;
    if (word == "retry") return FlashRadio::retry;
    return std::nullopt;
}

void read_flash_ports(const Reader& r, Reading& reading) {
    auto& ports = reading.parsed.options.flash_ports;
    for (const std::string& word : words({r.flash_port})) {
        if (reading.failed()) return;
        const Checked<PortChoice> choice = check_port_choice(word);
        if (!choice.ok()) {
            reading.problem = word.empty() ? "--port needs a value" : "--port: " + choice.problem;
        } else if (std::find(ports.begin(), ports.end(), choice.value) != ports.end()) {
            reading.problem = "--port " + quote_value(word) + " is given twice";
        } else {
            ports.push_back(choice.value);
        }
    }
}

void read_flash(const Reader& r, Reading& reading) {
    CommandLineOptions& o = reading.parsed.options;
    const auto radio = single_value(reading, "--radio", {r.radio});
    if (reading.failed()) return;
    if (!radio) {
        reading.problem = "flash needs --radio older, current or retry";
        return;
    }
    o.radio = radio_named(*radio);
    if (!o.radio) {
        reading.problem = "--radio: " + quote_value(*radio) + " is not older, current or retry";
        return;
    }
    read_flash_ports(r, reading);
    o.high_speed = given(r.high_speed);
    o.firmware_before_545 = given(r.before_545);
    if (o.firmware_before_545 && o.radio != FlashRadio::older && !reading.failed()) {
        reading.problem = "--firmware-before-5.45 goes only with --radio older";
    }
    o.image = single_value(reading, "--image", {r.flash_image});
    o.attempts = count_value(reading, "--attempts", r.attempts, ATTEMPTS_LIMIT);
    o.wait_seconds = count_value(reading, "--wait-seconds", r.wait_seconds, WAIT_SECONDS_LIMIT);
    o.flash_json = given(r.flash_json);
}

void read_options(const Reader& r, Reading& reading) {
    CommandLineOptions& o = reading.parsed.options;
    read_devices(r, reading);
    o.port = checked_value(reading, "--port", {rule_option(r, "--port")}, check_port_name);
    o.baud = checked_value(reading, "--baud", {rule_option(r, "--baud")}, check_baud);
    o.capture = single_value(reading, "--capture", {rule_option(r, "--capture")});
    o.capture_timestamps = given(rule_option(r, "--capture-timestamps"));
    o.capture_keys = given(rule_option(r, "--capture-keys"));
    o.records = single_value(reading, "--records", {rule_option(r, "--records"), r.flash_records});
    o.config = single_value(reading, "--config", {rule_option(r, "--config"), r.flash_config});
    read_history(r, reading);
    if (reading.parsed.action == CommandAction::flash) {
        read_flash(r, reading);
    } else {
        o.image = single_value(reading, "--image", {rule_option(r, "--image")});
    }
}

// --help and --version answer only alone (`flash --help` too): with anything else
// the user meant something that would not happen.
void read_help_and_version(const Reader& r, Reading& reading, int argc, std::string_view version) {
    const bool help = given(rule_option(r, "--help")) || given(r.flash_help);
    const bool show_version = given(rule_option(r, "--version"));
    if (!help && !show_version) return;
    const int alone = help && r.flash->parsed() ? 3 : 2;
    if (argc != alone) {
        reading.problem = std::string(help ? "--help" : "--version") + " takes no other arguments";
        return;
    }
    reading.parsed.action = help ? CommandAction::help : CommandAction::version;
    reading.parsed.output = help ? usage_text() : version_text(version);
}

// CLI11 refuses "--check=no" without naming the switch; this names it.
std::string switch_with_value(const Reader& r, const std::vector<std::string>& arguments) {
    for (const std::string& word : arguments) {
        if (word == "--") break;
        const std::string name = word.substr(0, word.find('='));
        if (name.size() == word.size()) continue;
        for (const CLI::App* app : {static_cast<const CLI::App*>(&r.app), static_cast<const CLI::App*>(r.flash)}) {
            for (const CLI::Option* option : app->get_options()) {
                if (is_switch(option) && name.rfind("--", 0) == 0 && option->check_lname(name.substr(2))) {
                    return name + " takes no value";
                }
            }
        }
    }
    return {};
}

std::string unexpected(const Reader& r) {
    const std::vector<std::string> rest = r.app.remaining(true);
    if (rest.empty()) return "unexpected argument";
    const std::string& word = rest.front();
    if (!word.empty() && word.front() == '-') return "unknown option " + quote_value(word);
    return "unexpected argument " + quote_value(word);
}

ParsedCommandLine refused(std::string problem) {
    ParsedCommandLine parsed;
    parsed.action = CommandAction::usage_error;
    parsed.output = usage_error_text(problem);
    parsed.message = std::move(problem);
    parsed.exit_status = EXIT_USAGE;
    return parsed;
}

}  // namespace

ParsedCommandLine parse_command_line(int argc, const char* const* argv, std::string_view version) {
    Reader r;
    Reading reading;
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
    // CLI11 reports its faults by exception; they end here, as a usage error.
    try {
        build(r);
        if (std::string problem = switch_with_value(r, arguments); !problem.empty()) return refused(std::move(problem));
        // CLI11 takes the arguments last first.
        std::reverse(arguments.begin(), arguments.end());
        r.app.parse(arguments);
    } catch (const CLI::ExtrasError&) {
        return refused(unexpected(r));
    } catch (const CLI::Error& error) {
        return refused(error.what());
    }
    read_help_and_version(r, reading, argc, version);
    if (reading.failed()) return refused(reading.problem);
    if (reading.parsed.action == CommandAction::help || reading.parsed.action == CommandAction::version) {
        return reading.parsed;
    }
    reading.parsed.action = chosen_action(r);
    check_combinations(r, reading);
    if (!reading.failed()) read_options(r, reading);
    if (reading.failed()) return refused(reading.problem);
    return reading.parsed;
}

}  // namespace zizuvu
