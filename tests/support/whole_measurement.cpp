#include "tests/support/whole_measurement.h"

#include "model/channels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace tintora::check {

namespace {

    using Names = std::set<std::string>;
    using look::BarMove;

    Names operator+(Names a, Names const& b)
    {
        a.insert(b.begin(), b.end());
        return a;
    }

    // Shown from ＳＴＡＲＴ on, whatever the phase.
    Names const always = { "Label3", "EndButton", "Shape1", "Shape2", "Label1(0)", "Label1(1)" };
    Names const headings = { "Label10", "Label12(0)", "Label12(1)", "Label16" };

}

Names shown_in(MeasurementView const& view)
{
    Names names;
    for (std::size_t i = 0; i < model::control_table.size(); ++i) {
        if (view.shown(model::ControlId::of(i)))
            names.insert(std::string(model::control_table[i].name));
    }
    return names;
}

Names const red_stage = always + Names { "Label2(2)", "Label21", "red", "labelred", "Command1", "RedBottun" };

void play_whole_measurement(
    Hands& hands, MeasurementView const& view, measurement::testing::ScriptedRandom& random, bool has_focus)
{
    auto const caption = [&view](model::LabelName name) { return view.caption(name); };
    auto const focus_on = [&view, has_focus](char const* name) {
        if (has_focus) {
            EXPECT_EQ(view.focused(), name);
        }
    };
    // Moves a bar and checks its value label.
    auto const move
        = [&](model::BarName bar, BarMove step, bool by_key, int expected, model::LabelName label) {
              hands.move(bar, step, by_key);
              EXPECT_EQ(view.caption(label), std::to_string(expected)) << (by_key ? "by key" : "by pointer");
          };
    EXPECT_EQ(
        shown_in(view), (Names { "Label3", "Label2(1)", "StartButton", "EndButton", "Shape1", "Shape2" }));
    focus_on("EndButton");

    random.then({ 100, 40, 200 });
    hands.press("StartButton", false);
    EXPECT_EQ(shown_in(view), red_stage);
    EXPECT_EQ(random.reseeds, 3);
    EXPECT_EQ(view.colour("Shape1"), model::rgb(100, 40, 200));
    EXPECT_EQ(view.colour("Shape2"), model::rgb(150, 40, 200));
    EXPECT_EQ(caption("Label4"), "100");
    EXPECT_EQ(caption("labelred"), "150");
    EXPECT_EQ(caption("labelgreen"), "40");
    EXPECT_EQ(caption("labelblue"), "200");
    EXPECT_EQ(view.top("Label21"), 4440);
    focus_on("red");
    move("red", BarMove::PageLess, false, 140, "labelred");
    move("red", BarMove::StepLess, false, 139, "labelred");
    move("red", BarMove::StepMore, false, 140, "labelred");
    for (int i = 0; i < 5; ++i)
        hands.move("red", BarMove::PageLess, true);
    move("red", BarMove::StepLess, true, 89, "labelred");
    move("red", BarMove::StepMore, true, 90, "labelred");
    EXPECT_EQ(view.colour("Shape2"), model::rgb(90, 40, 200));

    hands.press("Command1", true);
    EXPECT_EQ(shown_in(view),
        (always + headings
            + Names { "Label17", "Label4", "Label7", "Label14(0)", "Label22", "GreenBottun" }));
    EXPECT_EQ(caption("Label17"), "90");
    EXPECT_EQ(caption("Label7"), "10");
    EXPECT_EQ(view.top("Label21"), 5160);
    focus_on("GreenBottun");

    random.then({ 30, 160, 70 });
    hands.press("GreenBottun", false);
    Names const red_done = always + headings + Names { "Label17", "Label4", "Label7", "Label14(0)" };
    EXPECT_EQ(shown_in(view),
        (red_done + Names { "Label2(2)", "Label21", "green", "labelgreen", "Command2", "GreenBottun" }));
    EXPECT_EQ(view.colour("Shape1"), model::rgb(30, 160, 70));
    EXPECT_EQ(view.colour("Shape2"), model::rgb(30, 150, 70));
    EXPECT_EQ(caption("Label5"), "160");
    EXPECT_EQ(caption("labelred"), "30") << "the hidden red bar holds the new target's red";
    EXPECT_EQ(caption("Label17"), "90") << "the confirmed red is not touched";
    focus_on("green");
    move("green", BarMove::PageMore, true, 160, "labelgreen");
    move("green", BarMove::StepMore, false, 161, "labelgreen");
    move("green", BarMove::StepMore, true, 162, "labelgreen");
    move("green", BarMove::StepMore, true, 163, "labelgreen");

    hands.press("Command2", true);
    Names const green_done = red_done + Names { "Label18", "Label5", "Label8", "Label13(1)" };
    EXPECT_EQ(shown_in(view), (green_done + Names { "Label23", "BlueBottun" }));
    EXPECT_EQ(caption("Label8"), "3");
    EXPECT_EQ(view.top("Label21"), 5880);
    focus_on("BlueBottun");

    random.then({ 5, 6, 0 });
    hands.press("BlueBottun", false);
    EXPECT_EQ(shown_in(view),
        (green_done + Names { "Label2(2)", "Label21", "blue", "labelblue", "Command3", "BlueBottun" }));
    EXPECT_EQ(view.colour("Shape2"), model::rgb(5, 6, 150));
    focus_on("blue");
    move("blue", BarMove::ToMin, true, 0, "labelblue");
    move("blue", BarMove::StepLess, true, 0, "labelblue");
    move("blue", BarMove::PageMore, false, 10, "labelblue");
    move("blue", BarMove::StepMore, false, 11, "labelblue");

    hands.press("Command3", false);
    Names const blue_done = green_done + Names { "Label19", "Label6", "Label9", "Label15(2)" };
    EXPECT_EQ(shown_in(view), (blue_done + Names { "Label24", "Command6" }));
    EXPECT_EQ(caption("Label9"), "11");
    EXPECT_EQ(caption("Label19"), "11");
    EXPECT_EQ(view.top("Label21"), 5880);
    focus_on("Command6");

    hands.press("Command6", true);
    EXPECT_EQ(shown_in(view), (blue_done + Names { "Label24", "Command6", "Label20", "SaisokuteiButton" }));
    EXPECT_EQ(caption("Label20"), "76");
    hands.press("Command6", false);
    EXPECT_EQ(caption("Label20"), "76");

    random.then({ 150, 255, 0 });
    hands.press("SaisokuteiButton", false);
    EXPECT_EQ(shown_in(view), red_stage);
    EXPECT_EQ(view.top("Label21"), 4440);
    EXPECT_EQ(view.colour("Shape1"), model::rgb(150, 255, 0));
    EXPECT_EQ(view.colour("Shape2"), model::rgb(150, 255, 0)) << "a drawn red of 150 matches at once";
    EXPECT_EQ(caption("Label4"), "150");
    EXPECT_EQ(caption("labelgreen"), "255");
    EXPECT_EQ(caption("labelblue"), "0");
    EXPECT_EQ(caption("Label20"), "76") << "hidden results keep their text";
    EXPECT_EQ(random.drawn(), 12U);
    focus_on("red");
    EXPECT_EQ(measurement_problems(view), std::vector<std::string> {});
}

std::string ModelHands::stray(std::mt19937& rng)
{
    for (auto const& channel : model::channels) {
        if (m_form.bar(channel.bar).Visible) {
            int const place
                = std::uniform_int_distribution<int>(model::HScrollBar::Min, model::HScrollBar::Max)(rng);
            m_form.bar(channel.bar).Value = place;
            return std::string(channel.name) + " bar set to " + std::to_string(place);
        }
    }
    return {};
}

int play_at_random(Hands& hands, MeasurementView const& view, unsigned seed, int events)
{
    std::mt19937 rng(seed);
    auto const uniform
        = [&rng](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    auto const by_key = [&] { return uniform(0, 2) == 0; };
    model::Colour target = view.colour(model::target_patch);
    int offset = 0;
    // Towards the target's channel on the shown bar, by a page or a step.
    auto const aim = [&]() -> std::string {
        if (view.colour(model::target_patch) != target) {
            target = view.colour(model::target_patch);
            offset = uniform(-12, 12);
        }
        for (auto const& channel : model::channels) {
            if (!view.shown(channel.bar))
                continue;
            int const wanted = std::clamp(model::channel_of(target, channel.index) + offset, 0, 255);
            int const distance = wanted - view.value(channel.bar);
            if (distance == 0)
                return {};
            bool const far = std::abs(distance) >= 10;
            hands.move(channel.bar,
                distance > 0 ? (far ? BarMove::PageMore : BarMove::StepMore)
                             : (far ? BarMove::PageLess : BarMove::StepLess),
                by_key());
            return std::string(channel.name) + " aimed at " + std::to_string(wanted);
        }
        return {};
    };
    // A shown button other than ＥＮＤ, or a shown bar moved any way.
    auto const any = [&]() -> std::string {
        std::vector<std::size_t> shown;
        for (std::size_t i = 0; i < model::control_table.size(); ++i) {
            auto const kind = model::control_table[i].kind;
            bool const acts = kind == model::Kind::CommandButton || kind == model::Kind::HScrollBar;
            if (acts && i != model::end_button.index() && view.shown(model::ControlId::of(i)))
                shown.push_back(i);
        }
        auto const index = shown[static_cast<std::size_t>(uniform(0, static_cast<int>(shown.size()) - 1))];
        bool const key = by_key();
        auto const name = std::string(model::control_table[index].name) + (key ? " by key" : " by pointer");
        if (model::control_table[index].kind == model::Kind::CommandButton) {
            hands.press(model::ButtonName::of_row(index), key);
            return name + " pressed";
        }
        // The pointer steps and pages; the keys go to the ends too.
        auto const move = static_cast<BarMove>(uniform(0, key ? 5 : 3));
        hands.move(model::BarName::of_row(index), move, key);
        return name + " moved " + std::to_string(static_cast<int>(move));
    };
    int scores = 0;
    std::vector<std::string> done;
    for (int event = 0; event < events; ++event) {
        int const kind = uniform(0, 9);
        std::string said = kind < 3 ? hands.stray(rng) : std::string();
        if (said.empty() && kind < 7)
            said = aim();
        done.push_back(said.empty() ? any() : said);
        if (done.size() > 8)
            done.erase(done.begin());
        if (auto const problems = measurement_problems(view); !problems.empty()) {
            std::string last;
            for (auto const& each : done)
                last += "\n  " + each;
            ADD_FAILURE() << "seed " << seed << ", event " << event << ": " << problems.front()
                          << "\nafter:" << last;
            return scores;
        }
        scores += view.shown(model::score_label) ? 1 : 0;
    }
    return scores;
}

}
