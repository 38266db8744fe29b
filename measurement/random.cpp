#include "measurement/random.h"

#include <chrono>
#include <utility>

namespace tintora::measurement {

namespace {

    constexpr std::uint64_t golden_gamma = 0x9E3779B97F4A7C15ULL;

    constexpr std::uint64_t mix(std::uint64_t z)
    {
        z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31U);
    }

}

std::uint64_t system_clock_nanoseconds()
{
    return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

ClockSeededRandom::ClockSeededRandom(Clock clock, std::uint64_t state)
    : m_clock(std::move(clock))
    , m_state(state)
{
}

void ClockSeededRandom::reseed_from_clock() { m_state = mix(m_state + golden_gamma) ^ mix(m_clock()); }

std::uint64_t ClockSeededRandom::next_bits()
{
    m_state += golden_gamma;
    return mix(m_state);
}

float ClockSeededRandom::next()
{
    constexpr float scale = 1.0F / 16777216.0F; // 2^-24
    return static_cast<float>(next_bits() >> 40U) * scale;
}

}
