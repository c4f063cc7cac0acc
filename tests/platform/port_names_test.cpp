// Port names to device paths. Only paths are computed here: nothing is opened.
#include "platform/linux/port_names.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/pty_pair.hpp"

namespace zizuvu {
namespace {

using testing::ScopedEnvironment;

TEST(PortNames, EachComPortFollowsItsOwnVariable) {
    ScopedEnvironment one("ZIZUVU_COM1", "/dev/pts/41");
    ScopedEnvironment nine("ZIZUVU_COM9", "/tmp/radio-nine");
    EXPECT_EQ(device_path_for_port("Com1"), "/dev/pts/41");
    EXPECT_EQ(device_path_for_port("Com9"), "/tmp/radio-nine");
    EXPECT_EQ(device_path_for_port("COM1"), "/dev/pts/41");
    EXPECT_EQ(device_path_for_port("com9"), "/tmp/radio-nine");
}

TEST(PortNames, WithoutItsVariableAComPortIsTheSerialDeviceOneBelow) {
    ScopedEnvironment four("ZIZUVU_COM4", "");
    unsetenv("ZIZUVU_COM4");
    EXPECT_EQ(device_path_for_port("Com4"), "/dev/ttyS3");
}

TEST(PortNames, OtherNamesAreUsedUnchanged) {
    EXPECT_EQ(device_path_for_port("Com0"), "Com0");
    EXPECT_EQ(device_path_for_port("Com10"), "Com10");
    EXPECT_EQ(device_path_for_port("Cam1"), "Cam1");
    EXPECT_EQ(device_path_for_port("/dev/null"), "/dev/null");
}

}  // namespace
}  // namespace zizuvu
