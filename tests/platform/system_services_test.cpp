#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>

#include "platform/clock.hpp"
#include "serial/error_state.hpp"
#include "session/random.hpp"
#include "platform/system_error_map.hpp"

namespace zizuvu {
namespace {

TEST(ErrorState, LaterFailureWinsAndSuccessNeverClears) {
    ErrorState errors;
    record_error(errors, 53);
    record_error(errors, 70);
    EXPECT_EQ(error_number(errors), 70);
    EXPECT_EQ(errors.detail, 0);
    clear_error(errors);
    EXPECT_EQ(error_number(errors), 0);
}

TEST(ErrorState, NumberZeroIsReportedAsInternalFailure) {
    ErrorState errors;
    record_error(errors, 0);
    EXPECT_EQ(error_number(errors), 51);
    record_error(errors, 300);
    EXPECT_EQ(error_number(errors), 51);
}

TEST(SystemErrors, Win32CodeTable) {
    EXPECT_EQ(error_number_for_win32_code(2), 53);
    EXPECT_EQ(error_number_for_win32_code(5), 70);
    EXPECT_EQ(error_number_for_win32_code(3), 76);
    EXPECT_EQ(error_number_for_win32_code(7), 241);
    EXPECT_EQ(error_number_for_win32_code(28), 27);
    EXPECT_EQ(error_number_for_win32_code(38), 62);
    EXPECT_EQ(error_number_for_win32_code(39), 61);
    EXPECT_EQ(error_number_for_win32_code(40), 75);
    EXPECT_EQ(error_number_for_win32_code(1167), 75);
}

TEST(SystemErrors, ErrnoByMeaning) {
    EXPECT_EQ(error_number_for_errno(ENOENT), 53);    // missing port
    EXPECT_EQ(error_number_for_errno(EACCES), 70);    // no permission
    EXPECT_EQ(error_number_for_errno(EBUSY), 70);     // port in use
    EXPECT_EQ(error_number_for_errno(EWOULDBLOCK), 70);  // lock held elsewhere
    EXPECT_EQ(error_number_for_errno(ENOMEM), 7);
    EXPECT_NE(error_number_for_errno(EIO), 0);
    EXPECT_NE(error_number_for_errno(12345), 0);      // never "no error"
}

TEST(Random, KnownSequenceAfterSeedZero) {
    RandomState random;
    randomize(random, 0.0);
    EXPECT_EQ(random_fraction(random), 0.0);
    EXPECT_EQ(random.seed, 1U);
    EXPECT_EQ(random_fraction(random), 67387907.0 / 2147483648.0);
    EXPECT_EQ(random.seed, 134775814U);
}

TEST(Random, SeedIsTheSinglePrecisionBitPattern) {
    RandomState random;
    randomize(random, 1.0);
    EXPECT_EQ(random.seed, 0x3F800000U);
    for (int i = 0; i < 1000; ++i) {
        const double r = random_fraction(random);
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
}

TEST(Clock, ElapsedAcrossMidnightIsPositive) {
    EXPECT_DOUBLE_EQ(elapsed_seconds(100.0, 112.5), 12.5);
    // 23:59:59.500 to 00:00:01.000
    EXPECT_DOUBLE_EQ(elapsed_seconds(86399.5, 1.0), 1.5);
    const double now = seconds_since_midnight();
    EXPECT_GE(now, 0.0);
    EXPECT_LT(now, 86400.0);
}

}  // namespace
}  // namespace zizuvu
