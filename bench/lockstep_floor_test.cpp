#include "bench/lockstep_floor.hpp"

#include <gtest/gtest.h>

#include "bench/turnaround.hpp"
#include "tests/support/run_command.hpp"

namespace zizuvu::bench {
namespace {

struct ExchangeCase {
    const char* what;
    ExchangeShape shape;
    int baud;
};

// The bare exchange's radio side logs as the simulated radio does, so the benchmark
// reads both logs the same way; paced, it never answers before the wire time.
TEST(LockstepExchange, LogsEveryByteAndAnswersNoSoonerThanTheLineAllows) {
    const ExchangeCase cases[] = {
        {"X.72 unpaced", X72_EXCHANGE, 0},
        {"X.71 unpaced", X71_EXCHANGE, 0},
        {"X.72 paced at 115200 baud", X72_EXCHANGE, 115200},
        {"X.71 paced at 38400 baud", X71_EXCHANGE, 38400},
    };
    constexpr long DATA_BYTES = 40;
    for (const ExchangeCase& c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir dir;
        const ExchangeRun run = run_lockstep_exchange({c.shape, DATA_BYTES, c.baud, false, dir.file("radio.log")});
        ASSERT_TRUE(run.ok) << run.why_not;
        const std::vector<testing::WireLogLine> log = testing::read_wire_log(dir.file("radio.log"));
        long received = 0, sent = 0;
        for (const testing::WireLogLine& line : log) (line.sent ? sent : received) += 1;
        EXPECT_EQ(received, DATA_BYTES * (c.shape.address_out + c.shape.data_out));
        EXPECT_EQ(sent, DATA_BYTES * (c.shape.echo_in + c.shape.answer_in));
        const LineGaps gaps = line_gaps(log);
        EXPECT_EQ(gaps.hold_us.size(), static_cast<std::size_t>(2 * DATA_BYTES));
        EXPECT_EQ(gaps.turnaround_us.size(), static_cast<std::size_t>(2 * DATA_BYTES - 1));
        if (c.baud == 0) continue;
        // Ten bits a byte; the log's whole microseconds may cut up to one off.
        const double byte_us = 1e7 / c.baud;
        const double shortest_hold = (c.shape.data_out + c.shape.answer_in) * byte_us - 1;
        double held = 0;
        for (const double hold : gaps.hold_us) {
            EXPECT_GE(hold, shortest_hold);
            held += hold;
        }
        EXPECT_GE(held / DATA_BYTES, wire_byte_times(c.shape) * byte_us - 2);
    }
}

TEST(LockstepExchange, SaysWhyWhenItsLogCannotBeWritten) {
    const std::string path = "/nonexistent/zizuvu-bench/radio.log";
    const ExchangeRun run = run_lockstep_exchange({X72_EXCHANGE, 10, 0, false, path});
    EXPECT_FALSE(run.ok);
    EXPECT_NE(run.why_not.find(path), std::string::npos) << run.why_not;
}

}  // namespace
}  // namespace zizuvu::bench
