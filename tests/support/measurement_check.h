#pragma once

#include "model/colour.h"
#include "model/form1.h"

#include <string>
#include <vector>

namespace tintora::check {

// The grading rule and the score, written out again here, apart from the
// program's own, so that a fault in the program's cannot hide itself: ◎ (0)
// for an error up to 5, ○ (1) up to 10, △ (2) above; 100 less the errors.
int expected_mark(int error);
std::string expected_score(int errors);

// A measurement as one edition shows it, read as a user sees it: which
// controls show, what a label says, where a bar stands, a patch's colour,
// and a control's top in twips.
class MeasurementView {
public:
    virtual ~MeasurementView() = default;
    virtual bool shown(model::ControlId control) const = 0;
    virtual std::string caption(model::LabelName label) const = 0;
    virtual int value(model::BarName bar) const = 0;
    virtual model::Colour colour(model::ShapeName patch) const = 0;
    virtual double top(model::ControlId control) const = 0;
    // The control with the keyboard's focus, where the edition has one.
    virtual std::string focused() const { return {}; }
};

// What must hold after every user action, whatever came before: each value
// label reads its bar, patch Ａ is the colour of the three bars, at most one
// bar shows and the hidden two hold the target's other channels, the hint
// stands over the running bar, each graded row shows the one mark its error
// earns, the score is 100 less the errors, and the buttons shown are those
// of one phase of a measurement. Empty where all holds.
std::vector<std::string> measurement_problems(MeasurementView const& view);

// The model itself as the view: what the handlers left in the controls.
class ModelView final : public MeasurementView {
public:
    explicit ModelView(model::Form1& form)
        : m_form(form)
    {
    }
    bool shown(model::ControlId control) const override { return m_form.control(control).Visible; }
    std::string caption(model::LabelName label) const override { return m_form.label(label).Caption; }
    int value(model::BarName bar) const override { return m_form.bar(bar).Value; }
    model::Colour colour(model::ShapeName patch) const override { return m_form.shape(patch).BackColor; }
    double top(model::ControlId control) const override;

private:
    model::Form1& m_form;
};

}
