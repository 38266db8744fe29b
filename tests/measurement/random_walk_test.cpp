#include "measurement/measurement.h"
#include "measurement/numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace tintora::measurement {
namespace {

    // The grading rule, written out again here so that a fault in the program's
    // own bands cannot hide itself: ◎ (0) up to 5, ○ (1) up to 10, △ (2) above.
    int expected_mark(double error) { return error <= 5 ? 0 : error <= 10 ? 1 : 2; }

    using model::channels;

    // What must hold after every user action, whatever came before.
    void check_invariants(model::Form1& form)
    {
        auto const test_patch = form.shape("Shape2").BackColor.get();
        auto const target_patch = form.shape("Shape1").BackColor.get();
        // Before ＳＴＡＲＴ both patches are white and the bars wait at 150 unseen.
        bool const started = !form.button("StartButton").Visible;
        int running_stage = -1;
        for (auto const& channel : channels) {
            auto const& bar = form.bar(channel.bar);
            ASSERT_EQ(form.label(channel.value_label).Caption.get(), std::to_string(bar.Value.get()))
                << channel.name;
            if (started) {
                ASSERT_EQ(model::channel_of(test_patch, channel.index), bar.Value.get()) << channel.name;
            }
            if (bar.Visible) {
                ASSERT_EQ(running_stage, -1) << "two bars shown";
                running_stage = channel.index;
            }
        }
        if (running_stage >= 0) {
            for (auto const& channel : channels) {
                if (channel.index != running_stage) {
                    ASSERT_EQ(
                        form.bar(channel.bar).Value.get(), model::channel_of(target_patch, channel.index))
                        << "hidden bar " << channel.name << " left the target";
                }
            }
        }
        auto const& hint = form.label("Label21");
        float const top = hint.Top;
        ASSERT_TRUE(top == 4440.0F || top == 5160.0F || top == 5880.0F) << top;
        if (hint.Visible) {
            ASSERT_GE(running_stage, 0) << "hint shown outside a stage";
            ASSERT_EQ(top, 4440.0F + 720.0F * static_cast<float>(running_stage));
        }
        double errors = 0;
        for (auto const& channel : channels) {
            int marks_shown = 0;
            int shown_mark = -1;
            for (std::size_t i = 0; i < model::mark_arrays.size(); ++i) {
                if (form.array(model::mark_arrays[i]).Item(channel.index).Visible) {
                    ++marks_shown;
                    shown_mark = static_cast<int>(i);
                }
            }
            auto const& error_label = form.label(channel.error_label);
            if (!error_label.Visible) {
                ASSERT_EQ(marks_shown, 0) << channel.name << " shows a mark but no error";
                continue;
            }
            double const error = strict_number(error_label.Caption.get());
            errors += error;
            ASSERT_GE(error, 0) << channel.name;
            ASSERT_EQ(marks_shown, 1) << channel.name;
            ASSERT_EQ(shown_mark, expected_mark(error)) << channel.name << " error " << error;
        }
        if (form.label("Label20").Visible) {
            ASSERT_EQ(form.label("Label20").Caption.get(), number_text(100 - errors));
        }
        ASSERT_TRUE(form.button("EndButton").Visible);
    }

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
            std::mt19937 rng(seed);
            for (int step = 0; step < steps_per_walk; ++step) {
                SCOPED_TRACE("seed " + std::to_string(seed) + ", step " + std::to_string(step));
                ASSERT_NO_THROW(random_action(form, rng));
                check_invariants(form);
                if (::testing::Test::HasFatalFailure())
                    return;
                scores_shown += form.label("Label20").Visible ? 1 : 0;
            }
        }
        // The walk must get through whole measurements, not only wander in a stage.
        EXPECT_GT(scores_shown, walks * 50);
    }

}
}
