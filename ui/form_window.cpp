#include "ui/form_window.h"

#include "look/look.h"
#include "look/spoken.h"
#include "ui/accessibility.h"
#include "ui/application.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPalette>
#include <QPointer>
#include <QTimerEvent>

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>
#include <string_view>
#include <utility>

namespace tintora::ui {

void EndButton_Click() { QCoreApplication::exit(0); }

void report_and_exit(std::string const& message)
{
    std::fprintf(stderr, "tintora: %s\n", message.c_str());
    std::fflush(stderr);
    QCoreApplication::exit(1);
}

FormWindow::FormWindow(std::unique_ptr<measurement::RandomSource> random, QWidget* parent)
    : QWidget(parent)
    , m_random(random ? std::move(random) : std::make_unique<measurement::ClockSeededRandom>())
    , m_measurement(m_form, *m_random)
    , m_error_sink(report_and_exit)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    resize(client_width, client_height);
    QPalette background = palette();
    background.setColor(QPalette::Window, to_qcolor(window_colour));
    setPalette(background);
    setAutoFillBackground(true);

    measurement::connect(m_form, m_measurement);
    m_form.button("EndButton").Click = EndButton_Click;

    // Shapes lie at the bottom; above them the other controls, so that
    // earlier controls in the table stand over later ones where they meet.
    auto const& controls = m_form.controls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i]->kind() == model::Kind::Shape)
            m_widgets[i] = make_widget(*controls[i]);
    }
    for (std::size_t i = controls.size(); i-- > 0;) {
        if (controls[i]->kind() != model::Kind::Shape)
            m_widgets[i] = make_widget(*controls[i]);
    }
    for (std::size_t i = 1; i < tab_stops.size(); ++i)
        setTabOrder(widget_of(tab_stops[i - 1].control), widget_of(tab_stops[i].control));
    point_hint_at_bar_ends();
    m_announcer = new Announcer(this);
    widget_of(first_shown_tab_stop(m_form)->name())->setFocus(Qt::OtherFocusReason);
}

// The hint's two arrows point at the end arrows of the bar below it. The
// three bars stand one above the other, so one bar's ends serve every row.
void FormWindow::point_hint_at_bar_ends()
{
    auto const* bar = dynamic_cast<BarWidget*>(widget_of(m_form.bar(model::red_channel.bar).name()));
    auto* hint = dynamic_cast<LabelWidget*>(widget_of(fine_adjust_hint));
    auto const centre = [this, bar, hint](QStyle::SubControl end) {
        return bar->mapTo(this, bar->part(end).center()).x() - hint->x();
    };
    hint->point_arrows_at({ static_cast<qreal>(centre(QStyle::SC_ScrollBarSubLine)),
        static_cast<qreal>(centre(QStyle::SC_ScrollBarAddLine)) });
}

FormWindow::~FormWindow() = default;

// Closing the only window ends the program as "ＥＮＤ" does. Qt would end it
// only when no other top-level window is left, and a tooltip that pops up at
// the moment of closing counts as one, leaving the program running unseen.
void FormWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    EndButton_Click();
}

// The icon is for the window manager and the task bar, not for the first
// frame: it is given once that frame is painted, so that decoding it never
// holds the window up. The window manager takes it from there.
void FormWindow::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!std::exchange(m_icon_given, true))
        m_icon_timer = startTimer(0);
}

void FormWindow::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_icon_timer) {
        QWidget::timerEvent(event);
        return;
    }
    killTimer(std::exchange(m_icon_timer, 0));
    setWindowIcon(program_icon());
}

QWidget* FormWindow::widget_of(std::string_view control_name) const
{
    auto const& controls = m_form.controls();
    auto const it = std::find_if(controls.begin(), controls.end(),
        [control_name](model::Control const* control) { return control->name() == control_name; });
    return it == controls.end() ? nullptr : m_widgets[static_cast<std::size_t>(it - controls.begin())];
}

QWidget* FormWindow::make_widget(model::Control& control)
{
    Look const* look = find_look(control.name());
    Q_ASSERT(look != nullptr);
    QWidget* widget = nullptr;
    switch (control.kind()) {
    case model::Kind::Label: {
        auto& label = static_cast<model::Label&>(control);
        auto* label_widget = new LabelWidget(label, *look, this);
        label.Caption.observe([label_widget](std::string const& caption) {
            label_widget->set_caption(QString::fromStdString(caption));
        });
        label.Top.observe([label_widget](float top) { label_widget->move(label_widget->x(), pixels(top)); });
        widget = label_widget;
        break;
    }
    case model::Kind::CommandButton: {
        auto& button = static_cast<model::CommandButton&>(control);
        auto* button_widget = new ButtonWidget(button, *look, this);
        connect(button_widget, &QPushButton::clicked, this,
            [this, &button] { raise_event(button, "Click", [&button] { button.Click(); }); });
        widget = button_widget;
        break;
    }
    case model::Kind::HScrollBar: {
        auto& bar = static_cast<model::HScrollBar&>(control);
        auto* bar_widget = new BarWidget(bar, this);
        bar.Value.observe([bar_widget](int value) {
            QSignalBlocker const quiet(bar_widget);
            bar_widget->setValue(value);
        });
        connect(bar_widget, &QScrollBar::valueChanged, this,
            [this, &bar](int value) { raise_event(bar, "Change", [&bar, value] { bar.Value = value; }); });
        widget = bar_widget;
        break;
    }
    case model::Kind::Shape: {
        auto& shape = static_cast<model::Shape&>(control);
        auto* shape_widget = new ShapeWidget(shape, this);
        shape.BackColor.observe([shape_widget](model::Colour) { shape_widget->update(); });
        widget = shape_widget;
        break;
    }
    }
    widget->setObjectName(QString::fromStdString(control.name()));
    describe_for_screen_readers(control, *widget);
    auto const& place = control.place();
    widget->setGeometry(pixels(place.left), pixels(place.top), pixels(place.width), pixels(place.height));
    widget->setVisible(control.Visible);
    control.Visible.observe([widget](bool visible) {
        widget->setVisible(visible);
        tell_visibility(*widget, visible);
    });
    return widget;
}

// While a handler runs, a control it hides keeps the focus: Qt would pass it
// along the focus order at once, and it would land on "ＥＮＤ", where the
// next Space or Enter ends the program and drops the measurement. Where the
// focus goes is decided once the handler is done.
bool FormWindow::focusNextPrevChild(bool next)
{
    if (m_handling)
        return true;
    return QWidget::focusNextPrevChild(next);
}

// Gives the focus to the control that takes it after a handler, if any.
void FormWindow::pass_focus_on(model::Control const& handled, QWidget* focused)
{
    auto const* control = focused == nullptr ? nullptr : control_of(focused);
    if (auto const* next = focus_after_handler(m_form, handled, control))
        widget_of(next->name())->setFocus(Qt::OtherFocusReason);
}

// Names and descriptions beyond captions and tooltips, for assistive technology.
void FormWindow::describe_for_screen_readers(model::Control const& control, QWidget& widget)
{
    auto const words = spoken_of(m_form, control);
    if (!words.name.empty())
        widget.setAccessibleName(to_qstring(words.name));
    if (!words.description.empty())
        widget.setAccessibleDescription(to_qstring(words.description));
    if (auto* label = dynamic_cast<LabelWidget*>(&widget); label != nullptr && !words.role.empty())
        label->set_spoken_role(to_qstring(words.role));
}

model::Control const* FormWindow::control_of(QWidget const* widget) const
{
    auto const it = std::find(m_widgets.begin(), m_widgets.end(), widget);
    return it == m_widgets.end() ? nullptr
                                 : m_form.controls()[static_cast<std::size_t>(it - m_widgets.begin())];
}

template <typename Action>
void FormWindow::raise_event(model::Control const& control, char const* event, Action const& action)
{
    QPointer<QWidget> const focused = QApplication::focusWidget();
    m_handling = true;
    try {
        action();
    } catch (std::exception const& error) {
        m_error_sink(control.name() + "." + event + ": " + error.what());
    } catch (...) {
        m_error_sink(control.name() + "." + event + ": unknown error");
    }
    m_handling = false;
    pass_focus_on(control, focused);
    if (auto const sentence = announcement_after(m_form, control); !sentence.empty())
        m_announcer->announce(to_qstring(sentence));
    flush_paint();
}

// The handlers' writes have only scheduled repaints; paint them now, so the
// window shows the new state before the next user event is looked at.
void FormWindow::flush_paint() { QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest); }

}
