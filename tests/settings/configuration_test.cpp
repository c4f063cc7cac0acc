// The configuration file: what each file sets, and "FILE:LINE: reason" for each bad one.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "settings/configuration.hpp"

namespace zizuvu {
namespace {

const std::string FILE_PATH = "/bench/zizuvu.conf";

std::string summary(const ConfigurationResult& result) {
    if (result.status == ConfigurationStatus::refused) return "error: " + result.message;
    if (result.status == ConfigurationStatus::missing) return "missing";
    const Configuration& c = result.configuration;
    std::ostringstream out;
    for (int n = 1; n <= PORT_COUNT; ++n) {
        if (c.devices[static_cast<std::size_t>(n - 1)]) out << " com" << n << "=" << *c.devices[static_cast<std::size_t>(n - 1)];
    }
    if (c.port) out << " port=" << *c.port;
    if (c.baud) out << " baud=" << *c.baud;
    if (c.image) out << " image=" << *c.image;
    if (c.records) out << " records=" << *c.records;
    if (c.capture) out << " capture=" << *c.capture;
    if (c.capture_timestamps) out << " timestamps=" << *c.capture_timestamps;
    if (c.capture_keys) out << " keys=" << *c.capture_keys;
    for (const PortChoice& p : c.flash_ports) out << " on=" << (p.port > 0 ? "Com" + std::to_string(p.port) : p.path);
    return out.str();
}

struct Case {
    std::string text;
    std::string expected;  // the summary, or "error: FILE:LINE: " and a piece of the reason
};

const std::vector<Case> CASES = {
    {"", ""},
    {"# only a comment\n", ""},
    {"com1 = \"/dev/ttyUSB0\"\ncom9 = \"ports/com9\"\nport = \"Com2\"\nbaud = 38400\nimage = \"fw/radio.hex\"\n"
     "records = \"/var/lib/records.sqlite3\"\ncapture = \"captures\"\ncapture_timestamps = true\ncapture_keys = false\n"
     "flash_ports = [\"Com1\", \"com3\", \"/dev/ttyUSB4\", \"pts/7\"]\n",
     " com1=/dev/ttyUSB0 com9=/bench/ports/com9 port=2 baud=38400 image=/bench/fw/radio.hex"
     " records=/var/lib/records.sqlite3 capture=/bench/captures timestamps=1 keys=0 on=Com1 on=Com3 on=/dev/ttyUSB4"
     " on=/bench/pts/7"},
    {"image = 'C:\\fw\\radio.hex'\nrecords = '\\\\server\\share\\r.sqlite3'\n",
     " image=C:\\fw\\radio.hex records=\\\\server\\share\\r.sqlite3"},
    {"flash_ports = []\n", ""},
    // Non-ASCII text where the parser looks for whitespace.
    {"image = \"\"\"j\xc3\xb6rg \\\n  \xc3\xa9.hex\"\"\"\n", " image=/bench/j\xc3\xb6rg \xc3\xa9.hex"},

    {"\nport = Com2\n", "error: /bench/zizuvu.conf:2: Error while parsing value: could not determine value type (text needs quotes)"},
    {"baud = 38400\n\nbaud = 9600\n", "error: /bench/zizuvu.conf:3: "},
    {"com1 = \"/dev/a\"\n\n\n  com1 = \"/dev/b\"\n", "error: /bench/zizuvu.conf:4: "},
    {"image = \"\xff\"\n", "error: /bench/zizuvu.conf:1: "},
    {"\n[flas\xef\xbb\xbbh]\n", "error: /bench/zizuvu.conf:2: "},
    {"baud = 9600 \xc3\xa9\n", "error: /bench/zizuvu.conf:1: "},
    {"\n\nbauds = 9600\n", "error: /bench/zizuvu.conf:3: unknown key 'bauds' (known: com1 to com9, port"},
    {"com10 = \"/dev/x\"\n", "error: /bench/zizuvu.conf:1: unknown key 'com10'"},
    {"# flash\n[flash]\nports = []\n", "error: /bench/zizuvu.conf:2: unknown key 'flash'"},
    {"baud = \"9600\"\n", "error: /bench/zizuvu.conf:1: baud: must be a whole number, not a string"},
    {"\nbaud = 1200\n", "error: /bench/zizuvu.conf:2: baud: '1200' is not a speed the terminal takes"},
    {"baud = -19200\n", "error: /bench/zizuvu.conf:1: baud: '-19200' is not a speed"},
    {"baud = 19200.0\n", "error: /bench/zizuvu.conf:1: baud: must be a whole number, not a number with a fraction"},
    {"port = \"Com0\"\n", "error: /bench/zizuvu.conf:1: port: 'Com0' is not a port (Com1 to Com9)"},
    {"port = 2\n", "error: /bench/zizuvu.conf:1: port: must be a port name such as \"Com2\", not a whole number"},
    {"com2 = \"\"\n", "error: /bench/zizuvu.conf:1: com2: the path is empty"},
    {"image = \"~/fw.hex\"\n", "error: /bench/zizuvu.conf:1: image: '~/fw.hex': '~' is not expanded here"},
    {"records = 5\n", "error: /bench/zizuvu.conf:1: records: must be a string, not a whole number"},
    {"capture_keys = \"yes\"\n", "error: /bench/zizuvu.conf:1: capture_keys: must be true or false, not a string"},
    {"flash_ports = \"Com1\"\n", "error: /bench/zizuvu.conf:1: flash_ports: must be a list such as"},
    {"flash_ports = [\n  \"Com1\",\n  \"Com12\",\n]\n",
     "error: /bench/zizuvu.conf:3: flash_ports: 'Com12' is not a port (Com1 to Com9); give its device path instead"},
    {"flash_ports = [\"Com1\",\n \"com1\"]\n", "error: /bench/zizuvu.conf:2: flash_ports: 'com1' is listed twice"},
    {"flash_ports = [\"Com1\", 2]\n", "error: /bench/zizuvu.conf:1: flash_ports: must be a port name or a device path"},
};

TEST(ReadConfiguration, EveryFileSetsWhatItSaysOrIsRefusedAtItsLine) {
    for (const Case& c : CASES) {
        const std::string got = summary(read_configuration(c.text, FILE_PATH));
        if (c.expected.rfind("error: ", 0) == 0) {
            EXPECT_EQ(got.rfind(c.expected, 0), 0u) << c.text << "\n  got: " << got;
            EXPECT_EQ(got.find('\n'), std::string::npos) << got;
        } else {
            EXPECT_EQ(got, c.expected) << c.text;
        }
    }
}

class ConfigurationFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::path(::testing::TempDir()) /
                 ("zizuvu-settings-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string write(const std::string& name, const std::string& text) {
        const std::filesystem::path path = folder / name;
        std::ofstream(path) << text;
        return path.string();
    }
    std::filesystem::path folder;
};

TEST_F(ConfigurationFile, TheExampleIsAGoodFileThatSetsEveryKey) {
    const ConfigurationResult example = load_configuration(ZIZUVU_SOURCE_DIR "/settings/zizuvu.conf.example");
    ASSERT_EQ(example.status, ConfigurationStatus::loaded) << example.message;
    std::ifstream file(ZIZUVU_SOURCE_DIR "/settings/zizuvu.conf.example");
    std::string uncommented;
    // The example keys left commented out, taken in as well.
    const std::regex commented_key("# ([a-z0-9_]+ = .*)");
    std::smatch key;
    for (std::string line; std::getline(file, line);) {
        uncommented += (std::regex_match(line, key, commented_key) ? key[1].str() : line) + "\n";
    }
    const ConfigurationResult every_key = read_configuration(uncommented, FILE_PATH);
    ASSERT_EQ(every_key.status, ConfigurationStatus::loaded) << every_key.message;
    for (const auto& set : {every_key.configuration.image, every_key.configuration.records, every_key.configuration.capture}) {
        EXPECT_TRUE(set.has_value());
    }
    EXPECT_FALSE(every_key.configuration.flash_ports.empty());
}

TEST_F(ConfigurationFile, AMissingFileIsNoErrorUnlessItWasNamed) {
    const std::string absent = (folder / "absent.conf").string();
    EXPECT_EQ(load_configuration(absent).status, ConfigurationStatus::missing);
    const ConfigurationResult named = load_configuration(absent, MissingFile::refused);
    EXPECT_EQ(named.status, ConfigurationStatus::refused);
    EXPECT_EQ(named.message.rfind(absent + ": cannot open: ", 0), 0u) << named.message;
}

TEST_F(ConfigurationFile, RelativePathsStartAtTheFilesFolder) {
    const ConfigurationResult result = load_configuration(write("zizuvu.conf", "image = \"radio.hex\"\n"));
    ASSERT_EQ(result.status, ConfigurationStatus::loaded) << result.message;
    EXPECT_EQ(*result.configuration.image, (folder / "radio.hex").string());
    EXPECT_EQ(result.configuration.file, (folder / "zizuvu.conf").string());
}

TEST_F(ConfigurationFile, AFolderOrAHugeFileIsRefusedByName) {
    const std::string huge = write("huge.conf", std::string(2 * 1024 * 1024, '#'));
    EXPECT_EQ(load_configuration(huge).message, huge + ": too large for a configuration file");
    const ConfigurationResult folder_result = load_configuration(folder.string());
    EXPECT_EQ(folder_result.status, ConfigurationStatus::refused);
    EXPECT_EQ(folder_result.message.rfind(folder.string() + ": ", 0), 0u) << folder_result.message;
}

}  // namespace
}  // namespace zizuvu
