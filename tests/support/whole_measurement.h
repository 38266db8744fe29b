#pragma once

#include "look/bar.h"
#include "tests/support/measurement_check.h"
#include "tests/support/scripted_random.h"

namespace tintora::check {

// A user's hands, as an edition takes them: a press of a button and a move
// of a bar, by the pointer or by the keyboard (Tab to the control, then its
// keys) as the edition's user would make them.
class Hands {
public:
    virtual ~Hands() = default;
    virtual void press(model::ButtonName button, bool by_key) = 0;
    virtual void move(model::BarName bar, look::BarMove move, bool by_key) = 0;
};

// Plays a whole measurement and a re-measure with the hands, the targets
// drawn from the script, and checks after each step what the view shows:
// the controls shown, the captions, the patches, the hint's place and,
// where the edition has a keyboard focus, where it stands.
void play_whole_measurement(
    Hands& hands, MeasurementView const& view, measurement::testing::ScriptedRandom& random, bool has_focus);

}
