#pragma once

#include "measurement/measurement.h"
#include "measurement/random.h"
#include "model/form1.h"
#include "ui/accessibility.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tintora::ui {

// Ends the program at once, with no question: the window goes and the event
// loop returns 0.
void EndButton_Click();

// The window Form1: a widget for every control of the model, placed and drawn
// from the look table, and bound both ways. The model's properties drive the
// widgets; the user's clicks, keys and drags go to the model, which runs the
// measurement's handlers. Every change a handler makes is painted before the
// next user event is handled.
class FormWindow final : public QWidget {
public:
    // Told of an error that escaped a handler: "control.Event: what".
    using ErrorSink = std::function<void(std::string const& message)>;

    explicit FormWindow(
        std::unique_ptr<measurement::RandomSource> random = nullptr, QWidget* parent = nullptr);
    ~FormWindow() override;
    FormWindow(FormWindow const&) = delete;
    FormWindow& operator=(FormWindow const&) = delete;

    model::Form1& form() { return m_form; }
    QWidget* widget_of(std::string_view control_name) const;
    QWidget* widget_of(model::Control const& control) const { return m_widgets[control.index()]; }
    void set_error_sink(ErrorSink sink) { m_error_sink = std::move(sink); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QWidget* make_widget(model::Control& control);
    void describe_for_screen_readers(model::Control const& control, QWidget& widget);
    void point_hint_at_bar_ends();
    model::Control const* control_of(QWidget const* widget) const;
    void pass_focus_on(model::Control const& handled, QWidget* focused);

    // Runs a model event raised by the user. An error must not unwind through
    // the toolkit's event loop, so it stops here and goes to the error sink.
    template <typename Action>
    void raise_event(model::Control const& control, char const* event, Action const& action);
    void flush_paint();

    model::Form1 m_form;
    std::unique_ptr<measurement::RandomSource> m_random;
    measurement::Measurement m_measurement;
    std::array<QWidget*, model::control_table.size()> m_widgets {};
    ErrorSink m_error_sink;
    bool m_handling = false;
    bool m_icon_given = false;
    int m_icon_timer = 0;
    Announcer* m_announcer = nullptr;
};

// Prints the error on standard error and ends the event loop with status 1.
void report_and_exit(std::string const& message);

}
