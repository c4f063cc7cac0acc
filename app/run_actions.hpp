#pragma once
// What the program does when its command line asks for something other than the
// menu. Each prints to standard output (errors to standard error) and returns the
// exit status.
//
//   check_image     --check: the identity of the image in force (0; 2 for an image refused)
//   list_ports      --list: the machine's serial devices and Com1..Com9 with their states
//   print_history   --history: the service records, as a table, CSV or JSON Lines
//   flash_radios    flash: the download on every port named, unattended and at once (0, or
//                   the highest of 3 not opened, 4 no radio, 5 failed, 6 a signal)

#include "download/download_image.hpp"
#include "settings/resolve_settings.hpp"

namespace zizuvu {

int check_image(const RunSettings& settings);
int list_ports(const RunSettings& settings);
int print_history(const RunSettings& settings);
int flash_radios(const RunSettings& settings, DownloadImage image);

}  // namespace zizuvu
