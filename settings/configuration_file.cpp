#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

#include "settings/configuration.hpp"

namespace zizuvu {
namespace {

// A configuration is a few lines; anything this large is the wrong file.
constexpr std::size_t LARGEST_FILE = std::size_t{1024} * 1024;

ConfigurationResult unreadable(const std::string& path, const std::string& reason) {
    ConfigurationResult result;
    result.status = ConfigurationStatus::refused;
    result.message = path + ": " + reason;
    return result;
}

}  // namespace

ConfigurationResult load_configuration(const std::string& path, MissingFile missing) {
    errno = 0;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        const int error = errno;
        if ((error == ENOENT || error == ENOTDIR) && missing == MissingFile::allowed) return {};
        return unreadable(path, std::string("cannot open: ") + std::generic_category().message(error));
    }
    std::string text;
    char buffer[8192];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        text.append(buffer, count);
        if (text.size() > LARGEST_FILE) return unreadable(path, "too large for a configuration file");
    }
    if (std::ferror(file.get()) != 0) {
        const int error = errno;
        return unreadable(path, std::string("cannot read: ") + std::generic_category().message(error));
    }
    return read_configuration(text, path);
}

}  // namespace zizuvu
