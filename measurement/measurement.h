#pragma once

#include "measurement/random.h"
#include "model/channels.h"
#include "model/form1.h"

#include <optional>

namespace tintora::measurement {

// The grade of a channel's error: 0 to 5 ◎, 6 to 10 ○, 11 and more △, the
// same bands mirrored for negative numbers. A number between the bands (5.5)
// has no grade and leaves the marks as they are.
std::optional<model::Mark> mark_for_error(double error);

// The event handlers of the colour-matching measurement. They keep no state
// of their own: everything a measurement knows lies in the controls of the
// form, and which controls are shown is its phase. No handler checks the
// phase; each relies on only the right buttons being shown.
class Measurement {
public:
    Measurement(model::Form1& form, RandomSource& random);

    void StartButton_Click();

    void red_Change();
    void green_Change();
    void blue_Change();

    void RedBottun_Click();
    void GreenBottun_Click();
    void BlueBottun_Click();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    void Command6_Click();
    void SaisokuteiButton_Click();

    // The fine-adjust hint moves one channel row (720 twips) at each confirmation.
    static constexpr float hint_step = 720.0F;
    // Each stage begins with its own bar here.
    static constexpr int stage_start_value = 150;

private:
    model::Label& label(model::LabelName name) { return m_form.label(name); }
    model::CommandButton& button(model::ButtonName name) { return m_form.button(name); }
    model::HScrollBar& bar(model::BarName name) { return m_form.bar(name); }
    model::Shape& shape(model::ShapeName name) { return m_form.shape(name); }

    void value_change(model::Channel const& channel);
    void set_up_stage(model::Channel const& channel);
    void show_only_bar_of(model::Channel const& channel);
    void show_only_value_label_of(model::Channel const& channel);
    void draw_stage_target(model::Channel const& channel, bool rewrite_value_label);
    void grade(model::Channel const& channel);
    void set_mark(int index, model::Mark mark);
    void move_hint(float by);

    model::Form1& m_form;
    RandomSource& m_random;
};

// Fills every Click and Change slot of the form that the measurement handles.
// "ＥＮＤ" is not among them: ending the program belongs to the application.
void connect(model::Form1& form, Measurement& measurement);

}
