// Low-latency mode asked of a serial driver and given back at close, against
// drivers that have it, have it on already, refuse it or know nothing of it.
#include "platform/linux/low_latency.hpp"

#include <gtest/gtest.h>
#include <linux/serial.h>

#include <cerrno>

namespace zizuvu {
namespace {

class FakeDriver final : public SerialFlagsDevice {
public:
    bool has_ioctl = true;
    bool refuses_set = false;
    int flags = ASYNC_SKIP_TEST;
    int sets = 0;

    bool get_flags(int& out) override {
        if (!has_ioctl) {
            errno = ENOTTY;
            return false;
        }
        out = flags;
        return true;
    }
    bool set_flags(int value) override {
        ++sets;
        if (!has_ioctl || refuses_set) {
            errno = has_ioctl ? EPERM : ENOTTY;
            return false;
        }
        flags = value;
        return true;
    }
};

TEST(LowLatency, TurnedOnForTheLinkAndOffAgainAtClose) {
    FakeDriver driver;
    const LowLatencyChange change = request_low_latency_on(driver);
    EXPECT_TRUE(change.turned_on);
    EXPECT_EQ(driver.flags, ASYNC_SKIP_TEST | ASYNC_LOW_LATENCY);
    // Someone else changes another flag meanwhile: only our bit goes back.
    driver.flags |= ASYNC_SPD_HI;
    restore_low_latency_on(driver, change);
    EXPECT_EQ(driver.flags, ASYNC_SKIP_TEST | ASYNC_SPD_HI);
}

TEST(LowLatency, ADriverAlreadyInTheModeIsLeftAsItWas) {
    FakeDriver driver;
    driver.flags |= ASYNC_LOW_LATENCY;
    const LowLatencyChange change = request_low_latency_on(driver);
    EXPECT_FALSE(change.turned_on);
    restore_low_latency_on(driver, change);
    EXPECT_EQ(driver.flags, ASYNC_SKIP_TEST | ASYNC_LOW_LATENCY);
    EXPECT_EQ(driver.sets, 0);
}

TEST(LowLatency, ADriverWithoutTheModeOrRefusingItIsNotTouchedAtClose) {
    FakeDriver without;
    without.has_ioctl = false;
    errno = 0;
    const LowLatencyChange none = request_low_latency_on(without);
    EXPECT_FALSE(none.turned_on);
    EXPECT_EQ(errno, 0);  // nothing for the program's error mapping to see
    restore_low_latency_on(without, none);
    EXPECT_EQ(without.sets, 0);

    FakeDriver refusing;
    refusing.refuses_set = true;
    const LowLatencyChange refused = request_low_latency_on(refusing);
    EXPECT_FALSE(refused.turned_on);
    restore_low_latency_on(refusing, refused);
    EXPECT_EQ(refusing.sets, 1);
    EXPECT_EQ(refusing.flags, ASYNC_SKIP_TEST);
}

}  // namespace
}  // namespace zizuvu
