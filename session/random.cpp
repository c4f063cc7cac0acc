#include "session/random.hpp"

#include <bit>

namespace zizuvu {

void randomize(RandomState& random, double value) {
    random.seed = std::bit_cast<std::uint32_t>(static_cast<float>(value));
}

double random_fraction(RandomState& random) {
    random.seed = random.seed * 134775813U + 1U;  // wraps modulo 2^32
    return static_cast<double>(random.seed >> 1U) / 2147483648.0;
}

}  // namespace zizuvu
