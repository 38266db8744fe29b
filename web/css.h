#pragma once

#include "look/look.h"

#include <array>
#include <cstdio>
#include <string>

namespace tintora::web {

// A colour as the page writes it, #rrggbb, with system colours drawn in
// their shades: the page's style sheet and the engine's reports alike.
inline std::string css_colour(model::Colour colour)
{
    auto const drawn = look::shade_of(colour);
    std::array<char, 8> text {};
    std::snprintf(text.data(), text.size(), "#%02x%02x%02x", model::channel_of(drawn, 0),
        model::channel_of(drawn, 1), model::channel_of(drawn, 2));
    return text.data();
}

}
