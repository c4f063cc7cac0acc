#include "bench/spread.hpp"

#include <gtest/gtest.h>

namespace zizuvu::bench {
namespace {

struct SpreadCase {
    std::vector<double> values;
    double median;
    double p90;
};

TEST(Spread, MedianAndNinetiethPercentileOfUnsortedValues) {
    const SpreadCase cases[] = {
        {{}, 0, 0},
        {{7}, 7, 7},
        {{48.7, 41.4, 44.0}, 44.0, 48.7},
        {{4, 1, 3, 2}, 2.5, 4},
        {{10, 1, 9, 2, 8, 3, 7, 4, 6, 5}, 5.5, 9},
        {{20, 20, 20, 500}, 20, 500},
    };
    for (const SpreadCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.values));
        EXPECT_DOUBLE_EQ(median(c.values), c.median);
        EXPECT_DOUBLE_EQ(percentile(c.values, 90), c.p90);
    }
}

TEST(Spread, PercentileRanksFromTheSmallestToTheLargest) {
    const std::vector<double> values = {30, 10, 20, 40};
    EXPECT_DOUBLE_EQ(percentile(values, 1), 10);
    EXPECT_DOUBLE_EQ(percentile(values, 50), 20);
    EXPECT_DOUBLE_EQ(percentile(values, 51), 30);
    EXPECT_DOUBLE_EQ(percentile(values, 100), 40);
}

}  // namespace
}  // namespace zizuvu::bench
