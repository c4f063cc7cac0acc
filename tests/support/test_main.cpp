// The test programs' main. No test may reach a real serial port (on the development
// machines /dev/ttyS0 is the system console), so every port a test does not wire
// itself points at a path that does not exist, also when a test program is run by
// hand outside CTest.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    for (int n = 1; n <= 9; ++n) {
        const std::string name = "ZIZUVU_COM" + std::to_string(n);
        setenv(name.c_str(), ("/nonexistent/zizuvu-test-com" + std::to_string(n)).c_str(), 0);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
