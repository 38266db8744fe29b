#include "measurement/measurement.h"
#include "tests/support/measurement_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace tintora::measurement {
namespace {

    // One user action picked at random from what can be seen: a click on a
    // shown button, or a move of a shown bar by an arrow, by the track, or to a
    // new place with the thumb.
    void random_action(model::Form1& form, std::mt19937& rng)
    {
        std::vector<model::CommandButton*> buttons;
        std::vector<model::HScrollBar*> bars;
        for (auto* control : form.controls()) {
            if (!control->Visible)
                continue;
            if (auto* button = dynamic_cast<model::CommandButton*>(control))
                buttons.push_back(button);
            else if (auto* bar = dynamic_cast<model::HScrollBar*>(control))
                bars.push_back(bar);
        }
        auto pick
            = [&rng](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
        bool const move_bar = !bars.empty() && std::bernoulli_distribution(0.6)(rng);
        if (!move_bar) {
            buttons[pick(buttons.size())]->Click();
            return;
        }
        auto& bar = *bars[pick(bars.size())];
        int const steps[] = { -1, 1, -10, 10 };
        int const kind = static_cast<int>(pick(5));
        int const target = kind < 4 ? bar.Value.get() + steps[kind] : static_cast<int>(pick(256));
        bar.Value = std::clamp(target, model::HScrollBar::Min, model::HScrollBar::Max);
    }

    TEST(RandomWalk, InvariantsHoldAfterEveryStep)
    {
        constexpr int walks = 20;
        constexpr int steps_per_walk = 5000;
        int scores_shown = 0;
        for (unsigned seed = 1; seed <= walks; ++seed) {
            model::Form1 form;
            std::uint64_t tick = seed;
            ClockSeededRandom random([&tick] { return tick += 1000; }, seed);
            Measurement measurement(form, random);
            connect(form, measurement);
            check::ModelView const view(form);
            std::mt19937 rng(seed);
            for (int step = 0; step < steps_per_walk; ++step) {
                SCOPED_TRACE("seed " + std::to_string(seed) + ", step " + std::to_string(step));
                ASSERT_NO_THROW(random_action(form, rng));
                ASSERT_EQ(check::measurement_problems(view), std::vector<std::string> {});
                scores_shown += form.label("Label20").Visible ? 1 : 0;
            }
        }
        // The walk must get through whole measurements, not only wander in a stage.
        EXPECT_GT(scores_shown, walks * 50);
    }

}
}
