#include "RandomSource.h"

namespace vpc::lighting {
namespace {
constexpr std::uint64_t kMultiplier = 6364136223846793005ULL;
constexpr std::uint64_t kIncrement = 1442695040888963407ULL;
} // namespace

SeededRandom::SeededRandom(std::uint64_t seed) {
    state_ = 0;
    Next();
    state_ += seed;
    Next();
}

std::uint32_t SeededRandom::Next() {
    const std::uint64_t old = state_;
    state_ = old * kMultiplier + kIncrement;
    const auto xorShifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rotation = static_cast<std::uint32_t>(old >> 59u);
    return (xorShifted >> rotation) | (xorShifted << ((32u - rotation) & 31u));
}

std::uint32_t SeededRandom::Below(std::uint32_t bound) {
    if (bound == 0) {
        return 0;
    }
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(Next()) * bound) >> 32);
}

} // namespace vpc::lighting
