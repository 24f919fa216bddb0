// The pseudo-random source of the light effects (sparkle hues, reaction
// hues, twinkle restarts): a 32-bit xorshift generator. Seeded explicitly so
// tests see the same sequence every run; it never allocates.
#pragma once

#include <cstdint>

namespace ivra::light {

constexpr uint32_t kDefaultEffectSeed = 0x2545F491u;

class EffectRandom {
public:
    explicit EffectRandom(uint32_t seed = kDefaultEffectSeed) : state_(seed != 0 ? seed : kDefaultEffectSeed) {}

    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

    // A value in 0..bound-1 (bound > 0).
    uint32_t Below(uint32_t bound) { return Next() % bound; }

    // A hue-wheel index, 0..191.
    uint8_t Hue() { return static_cast<uint8_t>(Below(192)); }

private:
    uint32_t state_;
};

}  // namespace ivra::light
