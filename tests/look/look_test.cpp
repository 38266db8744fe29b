#include "look/bar.h"
#include "look/look.h"
#include "look/spoken.h"
#include "look/touch.h"
#include "measurement/measurement.h"
#include "model/channels.h"
#include "tests/support/scripted_random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace tintora::look {
namespace {

    using model::Kind;

    // Each control of the table named exactly once by the rows, and no other name.
    template <typename Rows>
    void expect_each_control_once(Rows const& rows)
    {
        std::multiset<std::string> covered;
        for (auto const& row : rows) {
            std::string_view rest = row.controls;
            while (!rest.empty()) {
                auto const end = rest.find(' ');
                covered.insert(std::string(rest.substr(0, end)));
                rest = end == std::string_view::npos ? std::string_view {} : rest.substr(end + 1);
            }
        }
        for (auto const& row : model::control_table)
            EXPECT_EQ(covered.count(std::string(row.name)), 1U) << row.name;
        EXPECT_EQ(covered.size(), model::control_table.size());
    }

    TEST(Tables, EveryControlHasOneLookAndOnePlaceInEachArrangement)
    {
        expect_each_control_once(looks);
        for (auto const& arrangement : touch_arrangements)
            expect_each_control_once(arrangement.places);
    }

    TEST(Tables, EveryControlLiesInsideTheClientAreaOnWholePixels)
    {
        for (auto const& row : model::control_table) {
            SCOPED_TRACE(std::string(row.name));
            auto const& place = row.place;
            EXPECT_TRUE(place.left >= 0 && place.top >= 0);
            EXPECT_LE(place.left + place.width, client_width_twips);
            EXPECT_LE(place.top + place.height, client_height_twips);
            for (int const twips : { place.left, place.top, place.width, place.height })
                EXPECT_EQ(twips % twips_per_pixel, 0) << twips;
        }
    }

    // The arrangements for fingers: inside the least screen, one place for
    // the three bars (the hint keeps its place over it whichever row the
    // handlers move the hint to), every button and bar a finger's size, no
    // caption too small.
    TEST(Tables, TouchArrangementsKeepAFingersSizeWithinTheLeastScreen)
    {
        for (auto const& arrangement : touch_arrangements) {
            SCOPED_TRACE(arrangement.hold == Hold::Upright ? "upright" : "on its side");
            auto const* bar = find_touch_place(arrangement, "red");
            EXPECT_EQ(find_touch_place(arrangement, "green"), bar);
            EXPECT_EQ(find_touch_place(arrangement, "blue"), bar);
            for (auto const& place : arrangement.places) {
                SCOPED_TRACE(std::string(place.controls));
                EXPECT_TRUE(place.left >= 0 && place.top >= 0);
                EXPECT_LE(place.left + place.width, arrangement.width);
                EXPECT_LE(place.top + place.height, arrangement.height);
                auto const kind = model::row_of(place.controls.substr(0, place.controls.find(' '))).kind;
                if (kind == Kind::CommandButton || kind == Kind::HScrollBar) {
                    EXPECT_GE(std::min(place.width, place.height), finger);
                }
                if (kind == Kind::Label || kind == Kind::CommandButton) {
                    EXPECT_GE(place.font, least_text);
                }
            }
        }
    }

    TEST(Tables, OnlyButtonsAndBarsAreTabStopsEachOnceInRisingOrder)
    {
        std::set<std::size_t> stops;
        for (std::size_t i = 0; i < tab_stops.size(); ++i) {
            auto const kind = tab_stops[i].control.row().kind;
            EXPECT_TRUE(kind == Kind::CommandButton || kind == Kind::HScrollBar)
                << tab_stops[i].control.name();
            EXPECT_TRUE(stops.insert(tab_stops[i].control.index()).second);
            if (i > 0) {
                EXPECT_LT(tab_stops[i - 1].index, tab_stops[i].index);
            }
        }
        EXPECT_EQ(
            stops.size(), model::count_of_kind(Kind::CommandButton) + model::count_of_kind(Kind::HScrollBar));
    }

    // Where controls overlap, the one that stands above: the shapes lie
    // lowest, the letters over the patches, the score caption over the score.
    TEST(Tables, StackingOrderPutsEachControlOnceAndTheOverlapsTheDesignedWay)
    {
        auto const height = [](model::ControlId id) {
            return std::find(stacking_order.begin(), stacking_order.end(), id.index())
                - stacking_order.begin();
        };
        EXPECT_EQ(std::set<std::size_t>(stacking_order.begin(), stacking_order.end()).size(),
            stacking_order.size());
        struct Over {
            model::ControlId upper;
            model::ControlId lower;
        };
        for (auto const& [upper, lower] : { Over { "Label24", "Label20" }, Over { "Label1(0)", "Shape2" },
                 Over { "Label1(1)", "Shape1" }, Over { "Label13(0)", "Shape2" } })
            EXPECT_GT(height(upper), height(lower)) << upper.name() << " over " << lower.name();
    }

    struct Words {
        model::ControlId control;
        std::string name;
        std::string description;
        std::string role;
    };

    TEST(Spoken, ControlsAreNamedAndDescribedByChannelRoleAndTooltip)
    {
        for (auto const& row : {
                 Words { "red", "赤", "", "" },
                 Words { "blue", "青", "", "" },
                 Words { "Shape2", "Ａ", "テストの色", "" },
                 Words { "Shape1", "Ｂ", "目標の色", "" },
                 Words { "EndButton", "", "終了", "" },
                 Words { "GreenBottun", "", "R､Bが同じ", "" },
                 Words { "labelred", "", "赤の値", "赤の値" },
                 Words { "Label18", "", "緑の確定値", "緑の確定値" },
                 Words { "Label6", "", "青の正解", "青の正解" },
                 Words { "Label7", "", "赤の誤差", "赤の誤差" },
                 Words { "Label14(1)", "", "緑の判定", "緑の判定" },
                 Words { "Label20", "", "点数", "点数" },
                 Words { "Label21", "", std::string(keys_for_the_bar), "" },
                 Words { "Label12(1)", "", "誤差が5以下なら◎、10以下なら○、11以上は△です", "" },
                 Words { "Label3", "", "", "" },
             }) {
            SCOPED_TRACE(row.control.name());
            auto const spoken = spoken_of(row.control.index());
            EXPECT_EQ(spoken.name, row.name);
            EXPECT_EQ(spoken.description, row.description);
            EXPECT_EQ(spoken.role, row.role);
        }
    }

    TEST(Spoken, CaptionsAreReadWithTheirRoleOrWithoutArrowsAndSpaces)
    {
        struct Reading {
            char const* role;
            char const* caption;
            char const* read;
        };
        for (auto const& row : {
                 Reading { "", "STARTボタンを押すと開始します。→", "STARTボタンを押すと開始します。" },
                 Reading { "", "←次にGのボタンを押してください", "次にGのボタンを押してください" },
                 Reading { "", "ＡとＢの色が同じになるよう　下のスクロールバー　　を",
                     "ＡとＢの色が同じになるよう下のスクロールバーを" },
                 Reading { "", "<方法> Ａ", "<方法>Ａ" },
                 Reading { "赤の正解", "200", "赤の正解 200" },
                 Reading { "点数", "-50", "点数 -50" },
                 Reading { "赤の誤差", "", "" },
             }) {
            EXPECT_EQ(spoken_caption(row.role, row.caption), row.read) << row.caption;
        }
    }

    // A whole measurement through the handlers, with what each press is
    // told as and where the focus goes after it.
    class AfterEachPress : public ::testing::Test {
    protected:
        AfterEachPress() { measurement::connect(form, handlers); }

        // Presses a button as a user does, with the focus on it.
        void press(model::ButtonName button)
        {
            random.then({ 200, 30, 250 });
            auto& pressed = form.button(button);
            pressed.Click();
            told = announcement_after(form, pressed);
            auto const* next = focus_after_handler(form, pressed, &pressed);
            focus = next == nullptr ? std::string(pressed.name()) : next->name();
        }

        model::Form1 form;
        measurement::testing::ScriptedRandom random;
        measurement::Measurement handlers { form, random };
        std::string told;
        std::string focus;
    };

    std::string stage(char const* channel, char const* passed)
    {
        return std::string(channel)
            + "の段階です。矢印キーで1ずつ、Page Up と Page Down で10ずつバーを動かしてＡをＢに合わせ、Tab "
              "を3回押して"
            + passed + "を過ぎ、確定に移って Space か Enter で押してください。";
    }

    TEST_F(AfterEachPress, TheStageTheResultAndTheScoreAreToldAndTheFocusMovesOn)
    {
        struct Step {
            model::ButtonName button;
            int value; // the stage's bar is set to it before the press, or -1
            std::string told;
            std::string focus;
        };
        EXPECT_EQ(first_shown_tab_stop(form)->name(), "EndButton");
        EXPECT_EQ(focus_at_opening(), model::end_button);
        for (auto const& step : {
                 Step { "StartButton", -1, stage("赤", "ＥＮＤ、R"), "red" },
                 Step { "RedBottun", -1, stage("赤", "ＥＮＤ、R"), "red" },
                 Step { "Command1", 197, "赤 確定値 197 正解 200 誤差 3 判定 ◎", "GreenBottun" },
                 Step { "GreenBottun", -1, stage("緑", "ＥＮＤ、G"), "green" },
                 Step { "Command2", 38, "緑 確定値 38 正解 30 誤差 8 判定 ○", "BlueBottun" },
                 Step { "BlueBottun", -1, stage("青", "ＥＮＤ、B"), "blue" },
                 Step { "Command3", 0, "青 確定値 0 正解 250 誤差 250 判定 △", "Command6" },
                 Step { "Command6", -1, "点数 マイナス161", "Command6" },
                 Step { "SaisokuteiButton", -1, stage("赤", "ＥＮＤ、R"), "red" },
             }) {
            SCOPED_TRACE(step.button.name());
            for (auto const& channel : model::channels) {
                if (step.value >= 0 && form.bar(channel.bar).Visible)
                    form.bar(channel.bar).Value = step.value;
            }
            press(step.button);
            EXPECT_EQ(told, step.told);
            EXPECT_EQ(focus, step.focus);
        }
        EXPECT_EQ(announcement_after(form, form.bar("red")), "") << "a bar tells its change itself";
    }

    TEST_F(AfterEachPress, TabAndShiftTabGoRoundTheShownStopsInTheFocusOrder)
    {
        struct Tab {
            char const* from;
            bool forward;
            char const* to;
        };
        auto const tab = [this](Tab const& row) {
            auto const* from = *row.from == '\0' ? nullptr : &form.control_named(row.from);
            return next_tab_stop(form, from, row.forward)->name();
        };
        for (auto const& row :
            { Tab { "EndButton", true, "StartButton" }, Tab { "StartButton", true, "EndButton" },
                Tab { "EndButton", false, "StartButton" }, Tab { "", true, "EndButton" } })
            EXPECT_EQ(tab(row), row.to) << row.from;
        press("StartButton");
        for (auto const& row : { Tab { "red", true, "EndButton" }, Tab { "EndButton", true, "RedBottun" },
                 Tab { "RedBottun", true, "Command1" }, Tab { "Command1", true, "red" },
                 Tab { "red", false, "Command1" }, Tab { "Label4", true, "red" },
                 Tab { "", false, "Command1" } })
            EXPECT_EQ(tab(row), row.to) << row.from;
    }

    TEST(Bar, MovesAndKeysStepAsOnAnyDesktopAndStopAtTheEnds)
    {
        struct Move {
            char const* key;
            int from;
            int to;
        };
        for (auto const& row :
            { Move { "ArrowRight", 150, 151 }, Move { "Down", 150, 151 }, Move { "ArrowLeft", 150, 149 },
                Move { "Up", 150, 149 }, Move { "PageDown", 150, 160 }, Move { "PgUp", 150, 140 },
                Move { "Home", 150, 0 }, Move { "End", 150, 255 }, Move { "ArrowRight", 255, 255 },
                Move { "PageDown", 250, 255 }, Move { "ArrowUp", 0, 0 }, Move { "PageUp", 5, 0 } }) {
            BarMove move {};
            ASSERT_TRUE(move_of_key(row.key, move)) << row.key;
            EXPECT_EQ(value_after(move, row.from), row.to) << row.key << " from " << row.from;
        }
        BarMove unused {};
        for (char const* other : { "Tab", "Enter", " ", "a", "" })
            EXPECT_FALSE(move_of_key(other, unused)) << other;
    }

    TEST(Bar, TheThumbStandsAtItsValuesShareOfTheTravelAndBack)
    {
        for (int value = 0; value <= 255; ++value)
            EXPECT_EQ(value_at_share(thumb_share(value)), value);
        struct Share {
            double share;
            int value;
        };
        for (auto const& row : { Share { 0, 0 }, Share { 1, 255 }, Share { 0.5, 128 }, Share { -0.2, 0 },
                 Share { 1.7, 255 }, Share { 150.0 / 255, 150 } })
            EXPECT_EQ(value_at_share(row.share), row.value) << row.share;
        EXPECT_DOUBLE_EQ(thumb_share(150), 150.0 / 255);
    }

    // Each of the hint's arrows stands over the middle of an end arrow of the
    // bar below, as designed and in each arrangement for fingers.
    TEST(Bar, TheHintsArrowsStandOverTheBarsEndArrows)
    {
        for (auto const& arrangement : touch_arrangements) {
            auto const& hint = *find_touch_place(arrangement, "Label21");
            auto const& bar = *find_touch_place(arrangement, "red");
            auto const [first, last] = hint_marks(hint.left, bar.left, bar.width, bar.height);
            EXPECT_GE(first - bar.height / 2.0, 0.0);
            EXPECT_LE(last + bar.height / 2.0, hint.width) << "the arrows stay inside the hint";
            EXPECT_LE(hint.top + hint.height, bar.top) << "the hint ends above the bar";
        }
    }

    TEST(Units, TwipsAndPointsTurnIntoPixelsAtEveryDensity)
    {
        struct Pixels {
            double twips;
            int dpi;
            int pixels;
        };
        for (auto const& row :
            { Pixels { 9435, 96, 629 }, Pixels { 8820, 96, 588 }, Pixels { 9435, 192, 1258 },
                Pixels { 375, 144, 38 }, Pixels { 7, 96, 0 }, Pixels { 8, 96, 1 }, Pixels { -15, 96, -1 } })
            EXPECT_EQ(pixels(row.twips, row.dpi), row.pixels) << row.twips << " at " << row.dpi;
        EXPECT_DOUBLE_EQ(font_pixels(9.75), 13);
        EXPECT_DOUBLE_EQ(font_pixels(9.75, 192), 26);
    }

}
}
