#include "ui/form_window.h"

#include "look/bar.h"
#include "look/look.h"
#include "look/spoken.h"
#include "model/error.h"
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
    setWindowTitle(to_qstring(look::window_title));
    resize(look::pixels(look::client_width_twips), look::pixels(look::client_height_twips));
    QPalette background = palette();
    background.setColor(QPalette::Window, to_qcolor(look::window_colour));
    setPalette(background);
    setAutoFillBackground(true);

    measurement::connect(m_form, m_measurement);
    m_form.button(model::end_button).Click = EndButton_Click;

    // Made from the bottom up, so that each stands over those made before.
    for (auto const index : look::stacking_order)
        m_widgets[index] = make_widget(m_form.control(index));
    for (std::size_t i = 1; i < look::tab_stops.size(); ++i) {
        setTabOrder(
            m_widgets[look::tab_stops[i - 1].control.index()], m_widgets[look::tab_stops[i].control.index()]);
    }
    point_hint_at_bar_ends();
    m_announcer = new Announcer(this);
    widget_of(*look::first_shown_tab_stop(m_form))->setFocus(Qt::OtherFocusReason);
}

// The hint's two arrows point at the end arrows of the bar below it. The
// three bars stand one above the other, so one bar's ends serve every row.
void FormWindow::point_hint_at_bar_ends()
{
    auto const* bar = dynamic_cast<BarWidget*>(widget_of(m_form.bar(model::red_channel.bar)));
    auto* hint = dynamic_cast<LabelWidget*>(widget_of(m_form.label(model::fine_adjust_hint)));
    auto const arrow = bar->part(QStyle::SC_ScrollBarSubLine).width();
    auto const marks = look::hint_marks(hint->x(), bar->x(), bar->width(), arrow);
    hint->point_arrows_at({ marks.first, marks.last });
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
    look::Look const* drawn = look::find_look(control.name());
    Q_ASSERT(drawn != nullptr);
    QWidget* widget = nullptr;
    switch (control.kind()) {
    case model::Kind::Label: {
        auto& label = static_cast<model::Label&>(control);
        auto* label_widget = new LabelWidget(label, *drawn, this);
        label.Caption.observe([label_widget](std::string const& caption) {
            label_widget->set_caption(QString::fromStdString(caption));
        });
        label.Top.observe(
            [label_widget](float top) { label_widget->move(label_widget->x(), look::pixels(top)); });
        widget = label_widget;
        break;
    }
    case model::Kind::CommandButton: {
        auto& button = static_cast<model::CommandButton&>(control);
        auto* button_widget = new ButtonWidget(button, *drawn, this);
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
    widget->setGeometry(look::pixels(place.left), look::pixels(place.top), look::pixels(place.width),
        look::pixels(place.height));
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
    if (auto const* next = look::focus_after_handler(m_form, handled, control))
        widget_of(*next)->setFocus(Qt::OtherFocusReason);
}

// Names and descriptions beyond captions and tooltips, for assistive technology.
void FormWindow::describe_for_screen_readers(model::Control const& control, QWidget& widget)
{
    auto const words = look::spoken_of(control.index());
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
    if (auto const failure = model::failure_of(control.name(), event, action); !failure.empty())
        m_error_sink(failure);
    m_handling = false;
    pass_focus_on(control, focused);
    if (auto const sentence = look::announcement_after(m_form, control); !sentence.empty())
        m_announcer->announce(to_qstring(sentence));
    flush_paint();
}

// The handlers' writes have only scheduled repaints; paint them now, so the
// window shows the new state before the next user event is looked at.
void FormWindow::flush_paint() { QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest); }

}
