#include "ui/form_window.h"

#include "ui/accessibility.h"
#include "ui/application.h"
#include "ui/look.h"
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
    first_shown_tab_stop(Skip::nothing)->setFocus(Qt::OtherFocusReason);
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
    if (!widget->toolTip().isEmpty())
        widget->setAccessibleDescription(widget->toolTip());
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

// The first stop in the focus order that is shown: at opening it takes the
// focus ("ＥＮＤ", since the bars before it are hidden).
QWidget* FormWindow::first_shown_tab_stop(Skip skip) const
{
    for (auto const& stop : tab_stops) {
        if (skip == Skip::end_button && stop.control == end_button)
            continue;
        if (m_form.control(stop.control).Visible)
            return widget_of(stop.control);
    }
    return nullptr;
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

// A handler that hid the focused control leaves the focus to the next step:
// the first shown control in the focus order other than "ＥＮＤ" (after
// ＳＴＡＲＴ the red bar, after a 確定 the next channel's button or PUSH).
void FormWindow::pass_focus_on_from(QWidget* focused)
{
    if (focused == nullptr || !focused->isHidden())
        return;
    if (QWidget* next = first_shown_tab_stop(Skip::end_button))
        next->setFocus(Qt::OtherFocusReason);
    else
        QWidget::focusNextPrevChild(true);
}

// Names and descriptions beyond captions and tooltips, for assistive technology.
void FormWindow::describe_for_screen_readers(model::Control const& control, QWidget& widget)
{
    struct Role {
        model::LabelName model::Channel::*label;
        std::string_view suffix;
    };
    static constexpr std::array<Role, 4> number_roles { {
        { &model::Channel::value_label, "の値" },
        { &model::Channel::confirmed_label, "の確定値" },
        { &model::Channel::correct_label, "の正解" },
        { &model::Channel::error_label, "の誤差" },
    } };
    // A label with a role is described by it and read with it before its caption.
    auto const give_role = [&widget](QString const& role) {
        widget.setAccessibleDescription(role);
        if (auto* label = dynamic_cast<LabelWidget*>(&widget))
            label->set_spoken_role(role);
    };
    for (auto const& channel : model::channels) {
        auto const word = to_qstring(channel_words[static_cast<std::size_t>(channel.index)]);
        if (&control == &m_form.bar(channel.bar))
            widget.setAccessibleName(word);
        for (auto const& role : number_roles) {
            if (&control == &m_form.label(channel.*role.label))
                give_role(word + to_qstring(role.suffix));
        }
        for (auto const array : model::mark_arrays) {
            if (&control == &m_form.array(array).Item(channel.index))
                give_role(word + QStringLiteral("の判定"));
        }
    }
    for (auto const& words : spoken) {
        if (words.control != control.name())
            continue;
        if (!words.name.empty())
            widget.setAccessibleName(to_qstring(words.name));
        if (words.is_role)
            give_role(to_qstring(words.description));
        else if (!words.description.empty())
            widget.setAccessibleDescription(to_qstring(words.description));
    }
}

// What the screen reader is told once a button's handler is done, or
// nothing: the stage that opened, a channel's result, or the score. A bar's
// change is told by the bar itself, so its events end here at once.
QString FormWindow::announcement_after(model::Control const& control)
{
    if (control.kind() != model::Kind::CommandButton)
        return {};
    auto const word_of = [](model::Channel const& channel) {
        return to_qstring(channel_words[static_cast<std::size_t>(channel.index)]);
    };
    auto const caption
        = [this](model::LabelName name) { return to_qstring(m_form.label(name).Caption.get()); };
    if (std::find(red_stage_openers.begin(), red_stage_openers.end(), control.name())
        != red_stage_openers.end())
        return to_qstring(stage_sentence).arg(word_of(model::red_channel));
    for (auto const& channel : model::channels) {
        if (control.name() == m_form.button(channel.channel_button).name())
            return to_qstring(stage_sentence).arg(word_of(channel));
        if (control.name() == m_form.button(channel.confirm_button).name()) {
            QString mark;
            for (auto const array : model::mark_arrays) {
                auto const& label = m_form.array(array).Item(channel.index);
                if (label.Visible)
                    mark = to_qstring(label.Caption.get());
            }
            return to_qstring(result_sentence)
                .arg(word_of(channel), caption(channel.confirmed_label), caption(channel.correct_label),
                    caption(channel.error_label), mark);
        }
    }
    if (control.name() == score_button) {
        QString score = to_qstring(m_form.label("Label20").Caption.get());
        // Read as a word: a speech engine may pass over a minus sign.
        if (score.startsWith(QLatin1Char('-')))
            score.replace(0, 1, to_qstring(minus_word));
        return to_qstring(score_sentence).arg(score);
    }
    return {};
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
    pass_focus_on_from(focused);
    if (auto const sentence = announcement_after(control); !sentence.isEmpty())
        m_announcer->announce(sentence);
    flush_paint();
}

// The handlers' writes have only scheduled repaints; paint them now, so the
// window shows the new state before the next user event is looked at.
void FormWindow::flush_paint() { QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest); }

}
