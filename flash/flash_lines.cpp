#include "flash/flash_lines.hpp"

#include <cstdio>

namespace zizuvu {
namespace {

std::string label_text(const PortLabel& port) {
    return port.device.empty() || port.device == port.name ? port.name : port.name + " " + port.device;
}

std::string seconds_text(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f s", decimals, value);
    return text;
}

}  // namespace

std::string phase_word(DownloadPhase phase) {
    switch (phase) {
        case DownloadPhase::asking: return "starting";
        case DownloadPhase::linking: return "opening the port";
        case DownloadPhase::identifying: return "waiting for the radio";
        case DownloadPhase::erasing: return "erasing";
        case DownloadPhase::programming: return "programming";
        case DownloadPhase::finished: return "finishing";
    }
    return "";
}

std::string progress_text(const PortLabel& port, const PortProgress& progress, double seconds) {
    std::string text = label_text(port) + "  " + phase_word(progress.phase);
    if (!progress.radio_serial.empty()) text += "  radio " + progress.radio_serial;
    if (progress.phase == DownloadPhase::programming || progress.phase == DownloadPhase::finished) {
        text += "  " + std::to_string(progress.acknowledged) + "/" + std::to_string(progress.total) + " bytes";
        if (progress.total > 0) text += "  " + std::to_string(progress.acknowledged * 100 / progress.total) + "%";
    }
    return text + "  " + seconds_text(seconds, 0);
}

std::string summary_text(const PortLabel& port, const PortResult& result) {
    std::string text = label_text(port);
    text += "  radio " + (result.radio_serial.empty() ? std::string("unknown") : result.radio_serial);
    text += "  " + result.verdict;
    text += "  " + std::to_string(result.acknowledged) + " bytes  " + seconds_text(result.seconds, 1);
    if (result.record_id != 0) {
        text += "  record " + std::to_string(result.record_id);
    } else if (!result.not_recorded.empty()) {
        text += "  not recorded: " + result.not_recorded;
    }
    return text;
}

}  // namespace zizuvu
