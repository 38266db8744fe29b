#pragma once

#include <cstdint>
#include <functional>

namespace tintora::measurement {

// The program's pseudo-random source: a reseed from the clock, and draws of
// single-precision values 0 <= r < 1. Tests put a scripted source in its place.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void reseed_from_clock() = 0;
    virtual float next() = 0;
};

// A clock reading, in any unit that changes often (nanoseconds by default).
using Clock = std::function<std::uint64_t()>;
std::uint64_t system_clock_nanoseconds();

// SplitMix64 with a reseed that mixes the clock reading into the current
// state instead of replacing it: reseeding twice within one clock tick goes
// on along the sequence rather than starting it over, so the three channels
// of one target colour are not forced equal by a coarse clock.
class ClockSeededRandom final : public RandomSource {
public:
    explicit ClockSeededRandom(Clock clock = system_clock_nanoseconds, std::uint64_t state = 0);

    void reseed_from_clock() override;
    // 24 random bits over 2^24: every multiple of 2^-24 below 1 can come out,
    // so r * 256 reaches every whole number from 0 to 255 and never 256.
    float next() override;

private:
    std::uint64_t next_bits();

    Clock m_clock;
    std::uint64_t m_state;
};

}
