// Source of the random choices of the lighting effects; injected so that a test can
// fix the seed or script the values.
#pragma once

#include <cstdint>

namespace vpc::lighting {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A value in 0 .. bound - 1 (0 when bound is 0).
    virtual std::uint32_t Below(std::uint32_t bound) = 0;
};

// Deterministic generator (PCG32): the same seed gives the same values on every machine.
class SeededRandom final : public RandomSource {
public:
    explicit SeededRandom(std::uint64_t seed = 0x853c49e6748fea9bULL);
    std::uint32_t Below(std::uint32_t bound) override;
    std::uint32_t Next();

private:
    std::uint64_t state_ = 0;
};

} // namespace vpc::lighting
