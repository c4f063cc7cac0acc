#pragma once
// The texts the command line prints.
//
//   usage_text         what --help prints: every option and the exit statuses of flash
//   usage_error_text   what a usage error prints to standard error: the reason and the usage hint
//   version_text       what --version prints: "zizuvu <version>"

#include <string>
#include <string_view>

namespace zizuvu {

std::string usage_text();
std::string usage_error_text(std::string_view message);
std::string version_text(std::string_view version);

}  // namespace zizuvu
