#pragma once

#include <array>
#include <cstdint>

namespace tintora::model {

// A colour value: red + 256 * green + 65536 * blue, each channel 0 to 255.
// A value with the top bit set names a system colour instead.
using Colour = std::uint32_t;

constexpr Colour rgb(int red, int green, int blue)
{
    return static_cast<Colour>(red) + 256U * static_cast<Colour>(green) + 65536U * static_cast<Colour>(blue);
}

constexpr Colour system_colour(int index) { return 0x80000000U + static_cast<Colour>(index); }

constexpr int channel_of(Colour colour, int channel)
{
    return static_cast<int>((colour >> (8U * static_cast<unsigned>(channel))) & 0xffU);
}

constexpr Colour white = rgb(255, 255, 255);

}
