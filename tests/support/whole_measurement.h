#pragma once

#include "look/bar.h"
#include "tests/support/measurement_check.h"
#include "tests/support/scripted_random.h"

#include <random>
#include <set>
#include <string>

namespace tintora::check {

// The names of the controls the view shows, and those of the red stage.
std::set<std::string> shown_in(MeasurementView const& view);
extern std::set<std::string> const red_stage;

// A user's hands, as an edition takes them: a press of a button and a move
// of a bar, by the pointer or by the keyboard (Tab to the control, then its
// keys) as the edition's user would make them.
class Hands {
public:
    virtual ~Hands() = default;
    virtual void press(model::ButtonName button, bool by_key) = 0;
    virtual void move(model::BarName bar, look::BarMove move, bool by_key) = 0;
    // Something at random that only this edition's user can do (a click
    // anywhere, a drag, any key), said in words; empty where there is none.
    virtual std::string stray(std::mt19937& /*rng*/) { return {}; }
};

// The handlers as the user's hands, with nothing between them and the
// model; a stray move sets a shown bar anywhere, as a thumb's drag does.
class ModelHands final : public Hands {
public:
    explicit ModelHands(model::Form1& form)
        : m_form(form)
    {
    }
    void press(model::ButtonName button, bool /*by_key*/) override { m_form.button(button).Click(); }
    void move(model::BarName bar, look::BarMove move, bool /*by_key*/) override
    {
        m_form.bar(bar).Value = look::value_after(move, m_form.bar(bar).Value);
    }
    std::string stray(std::mt19937& rng) override;

private:
    model::Form1& m_form;
};

// Plays a whole measurement and a re-measure with the hands, the targets
// drawn from the script, and checks after each step what the view shows:
// the controls shown, the captions, the patches, the hint's place and,
// where the edition has a keyboard focus, where it stands.
void play_whole_measurement(
    Hands& hands, MeasurementView const& view, measurement::testing::ScriptedRandom& random, bool has_focus);

// A user who does at random whatever the window offers, never ＥＮＤ nor the
// close box (they end the program and are tested on their own): presses a
// shown button or moves a shown bar, by pointer or by key; half the time
// aims at the target by eye, give or take a few steps, so that
// confirmations land on and around every grading boundary; and now and then
// does what only the edition's hands do. What must hold is checked after
// every event, a failure naming the seed and the events. Returns how many
// events left a score shown: the user must get through whole measurements.
int play_at_random(Hands& hands, MeasurementView const& view, unsigned seed, int events);

}
