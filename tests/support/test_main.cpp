// The test programs' main. No test may reach a real serial port (on the development
// machines /dev/ttyS0 is the system console), so every port a test does not wire
// itself points at a path that does not exist, also when a test program is run by
// hand outside CTest. Nor may a test read or write the real home folder: every
// program a test starts finds its configuration and keeps its records in a folder of
// this test program's own, removed at the end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    for (int n = 1; n <= 9; ++n) {
        const std::string name = "ZIZUVU_COM" + std::to_string(n);
        setenv(name.c_str(), ("/nonexistent/zizuvu-test-com" + std::to_string(n)).c_str(), 0);
    }
    std::string home = (std::filesystem::temp_directory_path() / "zizuvu-test-home-XXXXXX").string();
    if (mkdtemp(home.data()) == nullptr) return 1;
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return result;
}
