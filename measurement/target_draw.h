#pragma once

#include "measurement/random.h"
#include "model/colour.h"

#include <array>

namespace tintora::measurement {

// A target colour: red, green and blue, each 0 to 255.
struct Target {
    std::array<int, 3> channel {};

    model::Colour colour() const { return model::rgb(channel[0], channel[1], channel[2]); }
    // The same colour with one channel replaced: the test patch at the start of a stage.
    model::Colour colour_with(int index, int value) const
    {
        auto mixed = channel;
        mixed[static_cast<std::size_t>(index)] = value;
        return model::rgb(mixed[0], mixed[1], mixed[2]);
    }
};

// One channel value from a draw: r * 256 rounded down, r taken at single
// precision and the product formed exactly.
int channel_value(float r);

// Red, then green, then blue: each after its own reseed from the clock.
Target target_draw(RandomSource& random);

}
