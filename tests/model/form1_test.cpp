#include "model/channels.h"
#include "model/error.h"
#include "model/form1.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tintora::model {
namespace {

    TEST(OpeningState, PatchesAreWhiteAsTheWindow)
    {
        Form1 form;
        EXPECT_EQ(form.shape("Shape1").BackColor.get(), rgb(255, 255, 255));
        EXPECT_EQ(form.shape("Shape2").BackColor.get(), rgb(255, 255, 255));
    }

    TEST(OpeningState, HasFiftyControlsOfFourKindsWithUniqueNames)
    {
        Form1 form;
        std::set<std::string> names;
        int counts[4] = {};
        for (auto const* control : form.controls()) {
            names.insert(control->name());
            ++counts[static_cast<int>(control->kind())];
        }
        EXPECT_EQ(names.size(), 50U);
        EXPECT_EQ(counts[static_cast<int>(Kind::Label)], 35);
        EXPECT_EQ(counts[static_cast<int>(Kind::CommandButton)], 10);
        EXPECT_EQ(counts[static_cast<int>(Kind::HScrollBar)], 3);
        EXPECT_EQ(counts[static_cast<int>(Kind::Shape)], 2);
        EXPECT_EQ(form.controls().front()->name(), "Command6");
        EXPECT_EQ(form.controls().back()->name(), "Shape2");
    }

    TEST(OpeningState, BarsAndNumberLabelsHoldTheirDesignValues)
    {
        Form1 form;
        for (auto const& channel : channels) {
            SCOPED_TRACE(std::string(channel.name));
            EXPECT_EQ(form.bar(channel.bar).Value.get(), 150);
            EXPECT_EQ(form.label(channel.value_label).Caption.get(), "150");
            auto const& correct = form.label(channel.correct_label);
            EXPECT_EQ(correct.Caption.get(), correct.name());
            auto const& confirmed = form.label(channel.confirmed_label);
            EXPECT_EQ(confirmed.Caption.get(), confirmed.name());
            EXPECT_EQ(form.label(channel.error_label).Caption.get(), "");
        }
        EXPECT_EQ(form.label("Label20").Caption.get(), "");
        EXPECT_EQ(form.label("Label21").Top.get(), 4440.0F);
    }

    // The texts that are easiest to get subtly wrong, spelled out as UTF-8 bytes:
    // full-width letters and spaces, the half-width ideographic comma.
    TEST(OpeningState, CaptionsAndTooltipsAreTheDesignBytes)
    {
        Form1 form;
        EXPECT_EQ(form.button("StartButton").Caption,
            "\xEF\xBC\xB3\xEF\xBC\xB4\xEF\xBC\xA1\xEF\xBC\xB2\xEF\xBC\xB4");
        EXPECT_EQ(form.button("EndButton").Caption, "\xEF\xBC\xA5\xEF\xBC\xAE\xEF\xBC\xA4");
        EXPECT_EQ(form.button("EndButton").ToolTipText, "\xE7\xB5\x82\xE4\xBA\x86");
        EXPECT_EQ(form.button("RedBottun").ToolTipText,
            "G\xEF\xBD\xA4"
            "B\xE3\x81\x8C\xE5\x90\x8C\xE3\x81\x98");
        EXPECT_EQ(form.button("Command6").Caption, "PUSH");
        auto const& hint = form.label("Label21").Caption.get();
        EXPECT_EQ(hint.size(), 145U);
        EXPECT_NE(
            hint.find("\xE3\x80\x80\xE2\x86\x93\xE3\x80\x80\xE3\x80\x80 \xE3\x80\x80"), std::string::npos);
        EXPECT_EQ(form.array("Label12").Item(1).ToolTipText,
            "\xE8\xAA\xA4\xE5\xB7\xAE\xE3\x81\x8C"
            "5\xE4\xBB\xA5\xE4\xB8\x8B\xE3\x81\xAA\xE3\x82\x89\xE2\x97\x8E"
            "\xE3\x80\x81"
            "10\xE4\xBB\xA5\xE4\xB8\x8B\xE3\x81\xAA\xE3\x82\x89\xE2\x97\x8B\xE3\x80\x81"
            "11\xE4\xBB\xA5\xE4\xB8\x8A\xE3\x81\xAF\xE2\x96\xB3\xE3\x81\xA7\xE3\x81\x99");
    }

    // Each channel's controls must lie in that channel's row of the window: the
    // table that names them by role and the places agree.
    TEST(ChannelTable, EveryRoleLiesInItsChannelsRow)
    {
        Form1 form;
        int const row_tops[] = { 5160, 5880, 6600 };
        for (auto const& channel : channels) {
            SCOPED_TRACE(std::string(channel.name));
            int const top = row_tops[channel.index];
            EXPECT_EQ(form.bar(channel.bar).name(), channel.name);
            EXPECT_EQ(form.bar(channel.bar).place().top, top + 120);
            EXPECT_EQ(form.label(channel.value_label).place().top, top + 120);
            EXPECT_EQ(form.button(channel.channel_button).place().top, top - 120);
            EXPECT_EQ(form.button(channel.confirm_button).place().top, top);
            EXPECT_EQ(form.label(channel.confirmed_label).place().left,
                form.button(channel.confirm_button).place().left);
            EXPECT_EQ(form.label(channel.confirmed_label).place().width,
                form.button(channel.confirm_button).place().width);
            EXPECT_EQ(form.label(channel.confirmed_label).place().top, top);
            EXPECT_EQ(form.label(channel.correct_label).place().top, top);
            EXPECT_EQ(form.label(channel.error_label).place().top, top);
            // The three marks of a row share one cell.
            auto const& cell = form.array(mark_arrays[0]).Item(channel.index).place();
            for (auto const array : mark_arrays) {
                auto const& mark = form.array(array).Item(channel.index).place();
                EXPECT_EQ(std::tie(mark.left, mark.top, mark.width, mark.height),
                    std::tie(cell.left, top, cell.width, cell.height));
            }
            if (channel.entry_prompt) {
                EXPECT_EQ(form.label(*channel.entry_prompt).place().top, top);
            }
        }
    }

    TEST(ControlArrays, ReachTheirMembersAndRefuseOthers)
    {
        Form1 form;
        EXPECT_EQ(form.array("Label13").Item(2).name(), "Label13(2)");
        EXPECT_EQ(&form.array("Label2").Item(1), &form.control_named("Label2(1)"));
        EXPECT_EQ(&form.array("Label1").Item(0), &form.control_named("Label1(0)"));
        try {
            (void)form.array("Label2").Item(0);
            FAIL() << "Label2(0) was accepted";
        } catch (ModelError const& error) {
            EXPECT_NE(std::string(error.what()).find("Label2(0)"), std::string::npos) << error.what();
        }
        EXPECT_THROW((void)form.array("Label13").Item(3), ModelError);
        EXPECT_THROW((void)form.array("Label1").Item(-1), ModelError);
        EXPECT_THROW((void)form.control_named("Label2(0)"), ModelError);
        EXPECT_THROW((void)form.array_named("Label99"), ModelError);
    }

    TEST(ScrollBarValue, WriteRaisesChangeAtOnceEvenWhenHidden)
    {
        Form1 form;
        auto& bar = form.bar("green");
        ASSERT_FALSE(bar.Visible);
        int changes = 0;
        int seen = -1;
        bar.Change = [&] {
            ++changes;
            seen = bar.Value;
        };
        bar.Value = 40;
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(seen, 40);
        bar.Value = 40;
        EXPECT_EQ(changes, 1) << "writing the same value is no change";
        bar.Value = 0;
        bar.Value = 255;
        EXPECT_EQ(changes, 3);
    }

    TEST(ScrollBarValue, OutOfRangeIsRefusedAndChangesNothing)
    {
        Form1 form;
        auto& bar = form.bar("red");
        int changes = 0;
        int observed = 0;
        bar.Change = [&] { ++changes; };
        bar.Value.observe([&](int) { ++observed; });
        for (int const wrong : { 256, -1, 1000 }) {
            SCOPED_TRACE(wrong);
            try {
                bar.Value = wrong;
                FAIL() << "accepted";
            } catch (ModelError const& error) {
                std::string const message = error.what();
                EXPECT_NE(message.find("red"), std::string::npos) << message;
                EXPECT_NE(message.find(std::to_string(wrong)), std::string::npos) << message;
            }
            EXPECT_EQ(bar.Value.get(), 150);
        }
        EXPECT_EQ(changes, 0);
        EXPECT_EQ(observed, 0);
    }

    // The window follows the model through observers; it must see every change
    // and the new value, and the Change event must come after the bar shows it.
    TEST(Observers, SeeEveryChangeOfEveryWrittenProperty)
    {
        Form1 form;
        std::vector<std::string> log;
        auto& label = form.label("Label21");
        label.Caption.observe([&](std::string const& text) { log.push_back("Caption " + text); });
        label.Visible.observe([&](bool visible) { log.push_back(visible ? "shown" : "hidden"); });
        label.Top.observe([&](float top) { log.push_back("Top " + std::to_string(static_cast<int>(top))); });
        form.shape("Shape2").BackColor.observe(
            [&](Colour colour) { log.push_back("BackColor " + std::to_string(colour)); });
        auto& bar = form.bar("blue");
        bar.Value.observe([&](int value) { log.push_back("Value " + std::to_string(value)); });
        bar.Change = [&] { log.push_back("Change"); };

        label.Caption = "x";
        label.Visible = true;
        label.Visible = true;
        label.Top = 5160.0F;
        form.shape("Shape2").BackColor = rgb(1, 0, 0);
        bar.Value = 7;
        EXPECT_EQ(log,
            (std::vector<std::string> {
                "Caption x", "shown", "Top 5160", "BackColor 1", "Value 7", "Change" }));
    }

}
}
