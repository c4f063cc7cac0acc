#pragma once
// What a run of the program is to do, from its command line, the environment and the
// configuration file; and the firmware image it uses.
//
//   settings_for_run   the resolved settings, or the reason the run cannot start
//                      (a configuration line refused, options that do not fit)
//   port_devices       the devices Com1..Com9 stand for, as the platform takes them
//   image_for_run      the image --image or the configuration names, else the built-in one;
//                      nothing, with "FILE:LINE: reason", for a file that breaks a rule
//
// Both refusals mean exit status 2 before anything is opened.

#include <array>
#include <optional>
#include <string>

#include "download/download_image.hpp"
#include "platform/port_number.hpp"
#include "settings/resolve_settings.hpp"

namespace zizuvu {

std::optional<RunSettings> settings_for_run(const ParsedCommandLine& parsed, const EnvironmentLookup& environment,
                                            std::string& problem);
std::array<std::string, PORT_NAMES> port_devices(const RunSettings& settings);
std::optional<DownloadImage> image_for_run(const RunSettings& settings, std::string& problem);

}  // namespace zizuvu
