#include "measurement/measurement.h"

#include "measurement/numbers.h"
#include "measurement/target_draw.h"

#include <array>
#include <cmath>
#include <string>

namespace tintora::measurement {

using model::Channel;
using model::channels;
using model::Mark;

std::optional<Mark> mark_for_error(double error)
{
    if (error >= -5 && error <= 5)
        return Mark::Excellent;
    if ((error >= 6 && error <= 10) || (error >= -10 && error <= -6))
        return Mark::Good;
    if (error >= 11 || error <= -11)
        return Mark::Poor;
    return std::nullopt;
}

Measurement::Measurement(model::Form1& form, RandomSource& random)
    : m_form(form)
    , m_random(random)
{
}

void Measurement::StartButton_Click()
{
    label(model::fine_adjust_hint).Visible = true;
    button("RedBottun").Visible = true;
    button("StartButton").Visible = false;
    m_form.array("Label1").Item(0).Visible = true;
    m_form.array("Label1").Item(1).Visible = true;
    m_form.array("Label2").Item(1).Visible = false;
    m_form.array("Label2").Item(2).Visible = true;
    button("Command1").Visible = true;
    show_only_bar_of(model::red_channel);
    show_only_value_label_of(model::red_channel);
    draw_stage_target(model::red_channel, true);
}

void Measurement::red_Change() { value_change(model::red_channel); }
void Measurement::green_Change() { value_change(model::green_channel); }
void Measurement::blue_Change() { value_change(model::blue_channel); }

// Keeps the bar's value label equal to the bar and the test patch the colour
// of all three bars, the hidden ones included.
void Measurement::value_change(Channel const& channel)
{
    label(channel.value_label).Caption = std::to_string(bar(channel.bar).Value.get());
    int const red = bar("red").Value;
    int const green = bar("green").Value;
    int const blue = bar("blue").Value;
    shape("Shape2").BackColor = model::rgb(red, green, blue);
}

void Measurement::RedBottun_Click() { set_up_stage(model::red_channel); }
void Measurement::GreenBottun_Click() { set_up_stage(model::green_channel); }
void Measurement::BlueBottun_Click() { set_up_stage(model::blue_channel); }

// Starts a channel's stage with a new target colour, or starts it afresh.
// The red stage is opened by ＳＴＡＲＴ or re-measure with the method text and
// the hint already shown and no prompt standing, so R only redraws.
void Measurement::set_up_stage(Channel const& channel)
{
    bool const follows_a_confirmation = channel.index > 0;
    if (follows_a_confirmation)
        button(channels[static_cast<std::size_t>(channel.index - 1)].confirm_button).Visible = false;
    button(channel.confirm_button).Visible = true;
    if (follows_a_confirmation) {
        m_form.array("Label2").Item(2).Visible = true;
        label(model::fine_adjust_hint).Visible = true;
        label(*channel.entry_prompt).Visible = false;
    }
    show_only_bar_of(channel);
    label(channel.value_label).Visible = true;
    draw_stage_target(channel, false);
}

void Measurement::show_only_bar_of(Channel const& channel)
{
    for (auto const& each : channels)
        bar(each.bar).Visible = each.index == channel.index;
}

void Measurement::show_only_value_label_of(Channel const& channel)
{
    for (auto const& each : channels)
        label(each.value_label).Visible = each.index == channel.index;
}

// Draws the stage's target colour and leaves it where the stage needs it: on
// the target patch, in the two other bars (so the test patch differs from the
// target in the stage's channel alone) and as the hidden correct value. The
// bar writes run the Change handlers, and the test patch is painted after all
// three so that it ends in the stage's opening colour whatever they painted.
void Measurement::draw_stage_target(Channel const& channel, bool rewrite_value_label)
{
    auto const target = target_draw(m_random);
    shape("Shape1").BackColor = target.colour();
    if (rewrite_value_label)
        label(channel.value_label).Caption = std::to_string(stage_start_value);
    for (auto const& each : channels) {
        bar(each.bar).Value = each.index == channel.index
            ? stage_start_value
            : target.channel[static_cast<std::size_t>(each.index)];
    }
    shape("Shape2").BackColor = target.colour_with(channel.index, stage_start_value);
    label(channel.correct_label).Caption
        = std::to_string(target.channel[static_cast<std::size_t>(channel.index)]);
}

// The steps every confirmation shares: show the correct value and the error,
// make the error a magnitude, and show the one mark it earns.
void Measurement::grade(Channel const& channel)
{
    auto& error = label(channel.error_label);
    label(channel.correct_label).Visible = true;
    error.Visible = true;
    double const difference = strict_number(label(channel.value_label).Caption.get())
        - strict_number(label(channel.correct_label).Caption.get());
    error.Caption = number_text(difference);
    if (double const signed_error = strict_number(error.Caption.get()); signed_error <= 0)
        error.Caption = number_text(signed_error * -1);
    if (auto const mark = mark_for_error(strict_number(error.Caption.get())))
        set_mark(channel.index, *mark);
}

void Measurement::set_mark(int index, Mark mark)
{
    for (std::size_t i = 0; i < model::mark_arrays.size(); ++i)
        m_form.array(model::mark_arrays[i]).Item(index).Visible = i == static_cast<std::size_t>(mark);
}

void Measurement::move_hint(float by)
{
    auto& hint = label(model::fine_adjust_hint);
    float const top = hint.Top + by;
    if (!std::isfinite(top))
        throw ConversionError("arithmetic overflow moving Label21");
    hint.Top = top;
}

void Measurement::Command1_Click()
{
    grade(model::red_channel);
    button("RedBottun").Visible = false;
    bar("red").Visible = false;
    label("Label10").Visible = true;
    m_form.array("Label12").Item(0).Visible = true;
    m_form.array("Label12").Item(1).Visible = true;
    label("Label16").Visible = true;
    move_hint(hint_step);
    label(model::fine_adjust_hint).Visible = false;
    m_form.array("Label2").Item(2).Visible = false;
    label("Label22").Visible = true;
    button("GreenBottun").Visible = true;
    label("Label17").Caption = label("labelred").Caption.get();
    label("Label17").Visible = true;
    label("labelred").Visible = false;
    button("Command1").Visible = false;
}

void Measurement::Command2_Click()
{
    grade(model::green_channel);
    button("GreenBottun").Visible = false;
    bar("green").Visible = false;
    m_form.array("Label2").Item(2).Visible = false;
    move_hint(hint_step);
    label(model::fine_adjust_hint).Visible = false;
    label("Label23").Visible = true;
    button("BlueBottun").Visible = true;
    label("Label18").Caption = label("labelgreen").Caption.get();
    label("Label18").Visible = true;
    label("labelgreen").Visible = false;
    button("Command2").Visible = false;
}

void Measurement::Command3_Click()
{
    button("Command6").Visible = true;
    button("Command3").Visible = false;
    grade(model::blue_channel);
    button("BlueBottun").Visible = false;
    bar("blue").Visible = false;
    label("Label19").Caption = label("labelblue").Caption.get();
    label("Label19").Visible = true;
    m_form.array("Label2").Item(2).Visible = false;
    label(model::fine_adjust_hint).Visible = false;
    label("Label24").Visible = true;
    label("labelblue").Visible = false;
    button("Command3").Visible = false;
}

// The score is 100 less the three errors, unclamped: it can be negative.
void Measurement::Command6_Click()
{
    double const error_red = leading_number(label("Label7").Caption.get());
    double const error_green = leading_number(label("Label8").Caption.get());
    double const error_blue = leading_number(label("Label9").Caption.get());
    double const sum = (error_red + error_green) + error_blue;
    double const score = 100 - sum;
    label("Label20").Caption = number_text(score);
    label("Label20").Visible = true;
    button("SaisokuteiButton").Visible = true;
}

// Clears the finished measurement and opens the red stage of a new one, as
// ＳＴＡＲＴ does, which stays hidden.
void Measurement::SaisokuteiButton_Click()
{
    button("Command6").Visible = false;
    static constexpr std::array<model::LabelName, 4> results { "Label20", "Label17", "Label18", "Label19" };
    for (auto const name : results)
        label(name).Visible = false;
    button("RedBottun").Visible = true;
    button("GreenBottun").Visible = false;
    button("BlueBottun").Visible = false;
    button("StartButton").Visible = false;
    m_form.array("Label2").Item(1).Visible = false;
    m_form.array("Label2").Item(2).Visible = true;
    button("Command1").Visible = true;
    show_only_bar_of(model::red_channel);
    show_only_value_label_of(model::red_channel);
    draw_stage_target(model::red_channel, true);
    static constexpr std::array<model::LabelName, 7> result_table { "Label4", "Label5", "Label6", "Label7",
        "Label8", "Label9", "Label10" };
    for (auto const name : result_table)
        label(name).Visible = false;
    m_form.array("Label12").Item(0).Visible = false;
    m_form.array("Label12").Item(1).Visible = false;
    label("Label16").Visible = false;
    move_hint(-2 * hint_step);
    label(model::fine_adjust_hint).Visible = true;
    for (auto const& channel : channels) {
        for (auto const array : model::mark_arrays)
            m_form.array(array).Item(channel.index).Visible = false;
    }
    button("Command3").Visible = false;
    label("Label24").Visible = false;
    button("SaisokuteiButton").Visible = false;
}

void connect(model::Form1& form, Measurement& measurement)
{
    struct Click {
        model::ButtonName button;
        void (Measurement::*handler)();
    };
    static constexpr std::array clicks {
        Click { "StartButton", &Measurement::StartButton_Click },
        Click { "RedBottun", &Measurement::RedBottun_Click },
        Click { "GreenBottun", &Measurement::GreenBottun_Click },
        Click { "BlueBottun", &Measurement::BlueBottun_Click },
        Click { "Command1", &Measurement::Command1_Click },
        Click { "Command2", &Measurement::Command2_Click },
        Click { "Command3", &Measurement::Command3_Click },
        Click { "Command6", &Measurement::Command6_Click },
        Click { "SaisokuteiButton", &Measurement::SaisokuteiButton_Click },
    };
    static constexpr std::array<void (Measurement::*)(), 3> changes {
        &Measurement::red_Change,
        &Measurement::green_Change,
        &Measurement::blue_Change,
    };
    for (auto const& click : clicks)
        form.button(click.button).Click
            = [&measurement, handler = click.handler] { (measurement.*handler)(); };
    for (auto const& channel : channels) {
        form.bar(channel.bar).Change
            = [&measurement, handler = changes[static_cast<std::size_t>(channel.index)]] {
                  (measurement.*handler)();
              };
    }
}

}
