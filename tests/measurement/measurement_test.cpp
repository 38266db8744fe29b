#include "measurement/measurement.h"
#include "measurement/numbers.h"
#include "model/error.h"
#include "tests/support/scripted_random.h"
#include "tests/support/whole_measurement.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tintora::measurement {
namespace {

    using model::rgb;

    class MeasurementTest : public ::testing::Test {
    protected:
        MeasurementTest() { connect(form, measurement); }

        std::string caption(model::LabelName name) { return form.label(name).Caption.get(); }
        bool shown(model::LabelName name) { return form.label(name).Visible; }
        std::set<std::string> all_shown() { return check::shown_in(check::ModelView(form)); }
        model::Colour test_patch() { return form.shape("Shape2").BackColor; }
        model::Colour target_patch() { return form.shape("Shape1").BackColor; }

        model::Form1 form;
        testing::ScriptedRandom random;
        Measurement measurement { form, random };
    };

    TEST_F(MeasurementTest, WholeMeasurementThenRemeasure)
    {
        check::ModelHands hands(form);
        check::play_whole_measurement(hands, check::ModelView(form), random, false);
    }

    TEST_F(MeasurementTest, ChannelButtonStartsItsStageAfresh)
    {
        random.then({ 10, 20, 30, 60, 70, 80 });
        form.button("StartButton").Click();
        form.bar("red").Value = 37;
        form.button("RedBottun").Click();
        EXPECT_EQ(all_shown(), check::red_stage);
        EXPECT_EQ(form.bar("red").Value.get(), 150);
        EXPECT_EQ(caption("labelred"), "150");
        EXPECT_EQ(caption("Label4"), "60");
        EXPECT_EQ(target_patch(), rgb(60, 70, 80));
        EXPECT_EQ(test_patch(), rgb(150, 70, 80));
    }

    TEST_F(MeasurementTest, PressingGTwiceRedrawsAndKeepsTheStage)
    {
        random.then({ 1, 2, 3, 100, 110, 120, 200, 210, 220 });
        form.button("StartButton").Click();
        form.button("Command1").Click();
        form.button("GreenBottun").Click();
        auto const first = all_shown();
        form.bar("green").Value = 99;
        form.button("GreenBottun").Click();
        EXPECT_EQ(all_shown(), (first));
        EXPECT_EQ(caption("Label5"), "210");
        EXPECT_EQ(caption("labelgreen"), "150");
        EXPECT_EQ(caption("labelred"), "200");
        EXPECT_EQ(test_patch(), rgb(200, 150, 220));
        EXPECT_EQ(form.label("Label21").Top.get(), 5160.0F);
    }

    struct Grading {
        int correct;
        int chosen;
        char const* error;
        model::Mark mark;
    };

    // Each grading boundary, reached through the real handlers: the bar set by
    // the user, the correct value drawn, the confirm button pressed.
    TEST_F(MeasurementTest, GradesTheRedChannelAtEveryBoundary)
    {
        using model::Mark;
        for (auto const& row : { Grading { 150, 150, "0", Mark::Excellent },
                 Grading { 100, 105, "5", Mark::Excellent }, Grading { 100, 95, "5", Mark::Excellent },
                 Grading { 100, 106, "6", Mark::Good }, Grading { 100, 94, "6", Mark::Good },
                 Grading { 100, 110, "10", Mark::Good }, Grading { 100, 90, "10", Mark::Good },
                 Grading { 100, 111, "11", Mark::Poor }, Grading { 100, 89, "11", Mark::Poor },
                 Grading { 255, 0, "255", Mark::Poor }, Grading { 0, 255, "255", Mark::Poor } }) {
            SCOPED_TRACE(std::to_string(row.chosen) + " against " + std::to_string(row.correct));
            model::Form1 fresh;
            testing::ScriptedRandom script({ row.correct, 0, 0 });
            Measurement handlers(fresh, script);
            connect(fresh, handlers);
            fresh.button("StartButton").Click();
            fresh.bar("red").Value = row.chosen;
            fresh.button("Command1").Click();
            EXPECT_EQ(fresh.label("Label7").Caption.get(), row.error);
            EXPECT_EQ(fresh.label("Label17").Caption.get(), std::to_string(row.chosen));
            for (std::size_t i = 0; i < model::mark_arrays.size(); ++i) {
                EXPECT_EQ(fresh.array(model::mark_arrays[i]).Item(0).Visible.get(),
                    i == static_cast<std::size_t>(row.mark));
                EXPECT_FALSE(fresh.array(model::mark_arrays[i]).Item(1).Visible.get());
            }
        }
    }

    struct Score {
        char const* red;
        char const* green;
        char const* blue;
        char const* score;
    };

    TEST_F(MeasurementTest, ScoreIsHundredLessTheErrorsUnclamped)
    {
        for (auto const& row : { Score { "0", "0", "0", "100" }, Score { "12", "0", "7", "81" },
                 Score { "60", "50", "40", "-50" }, Score { "255", "255", "255", "-665" },
                 Score { "", "abc", "5", "95" }, Score { "3x", " 2", "1", "94" } }) {
            SCOPED_TRACE(std::string(row.red) + "," + row.green + "," + row.blue);
            form.label("Label7").Caption = row.red;
            form.label("Label8").Caption = row.green;
            form.label("Label9").Caption = row.blue;
            form.button("Command6").Click();
            EXPECT_EQ(caption("Label20"), row.score);
            EXPECT_TRUE(shown("Label20"));
            EXPECT_TRUE(form.button("SaisokuteiButton").Visible);
        }
    }

    // The confirmations read captions strictly: a correct value that was never
    // written is a run-time error, and the handler stops at that step.
    TEST_F(MeasurementTest, ConfirmingWithoutACorrectValueIsAnError)
    {
        ASSERT_TRUE(static_cast<bool>(form.button("Command1").Click));
        EXPECT_THROW(form.button("Command1").Click(), ConversionError);
        EXPECT_EQ(caption("Label7"), "");
        EXPECT_FALSE(form.button("GreenBottun").Visible);
    }

    TEST_F(MeasurementTest, MovingAHiddenBarStillFollowsWithLabelAndPatch)
    {
        random.then({ 10, 40, 200 });
        form.button("StartButton").Click();
        form.bar("red").Value = 90;
        EXPECT_EQ(test_patch(), rgb(90, 40, 200));
        form.bar("blue").Value = 3;
        EXPECT_EQ(caption("labelblue"), "3");
        EXPECT_EQ(test_patch(), rgb(90, 40, 3));
        EXPECT_THROW(form.bar("blue").Value = 256, model::ModelError);
        EXPECT_EQ(caption("labelblue"), "3");
    }

}
}
