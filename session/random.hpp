#pragma once
// The program's pseudo-random generator: a 32-bit linear congruential sequence
// seeded from the bit pattern of a single-precision value.
//
//   RandomState       the seed, 0 at start
//   randomize         seed from a value (the program passes the time of day)
//   random_fraction   next number, 0 <= r < 1

#include <cstdint>

namespace zizuvu {

struct RandomState {
    std::uint32_t seed = 0;
};

void randomize(RandomState& random, double value);
double random_fraction(RandomState& random);

}  // namespace zizuvu
