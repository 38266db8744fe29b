#pragma once

#include "look/look.h"
#include "tests/support/whole_measurement.h"
#include "ui/form_window.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QTest>

#include <algorithm>
#include <string>

namespace tintora::ui {

// The window as the user sees it: its widgets, the patches' pixels, the focus.
class WindowView final : public check::MeasurementView {
public:
    explicit WindowView(FormWindow& window)
        : m_window(window)
    {
    }
    bool shown(model::ControlId control) const override { return widget(control)->isVisible(); }
    std::string caption(model::LabelName label) const override
    {
        return dynamic_cast<QLabel*>(widget(label))->text().toStdString();
    }
    int value(model::BarName bar) const override { return dynamic_cast<QScrollBar*>(widget(bar))->value(); }
    model::Colour colour(model::ShapeName patch) const override
    {
        auto const image = widget(patch)->grab().toImage();
        auto const pixel = image.pixelColor(image.width() / 2, image.height() / 2);
        return model::rgb(pixel.red(), pixel.green(), pixel.blue());
    }
    double top(model::ControlId control) const override
    {
        return widget(control)->y() * look::twips_per_pixel;
    }
    std::string focused() const override
    {
        auto const* focus = QApplication::focusWidget();
        return focus == nullptr ? std::string() : focus->objectName().toStdString();
    }
    BarWidget* bar(model::BarName name) const { return dynamic_cast<BarWidget*>(widget(name)); }
    QWidget* widget(model::ControlId control) const
    {
        return m_window.widget_of(m_window.form().control(control));
    }

private:
    FormWindow& m_window;
};

// A user's mouse and keyboard on the window: a click on a button or on a
// part of a bar, or Tab to the control and its key.
class WindowHands : public check::Hands {
public:
    explicit WindowHands(WindowView const& view)
        : m_view(view)
    {
    }
    void press(model::ButtonName button, bool by_key) override
    {
        if (!by_key) {
            QTest::mouseClick(m_view.widget(button), Qt::LeftButton);
            return;
        }
        tab_to(button);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    void move(model::BarName name, look::BarMove move, bool by_key) override
    {
        auto* bar = m_view.bar(name);
        if (by_key) {
            tab_to(name);
            auto const key = std::find_if(look::bar_keys.begin(), look::bar_keys.end(),
                [move](look::BarKey const& each) { return each.move == move; });
            QTest::keyClick(bar, QKeySequence::fromString(to_qstring(key->qt_key))[0].key());
            return;
        }
        static constexpr std::array parts { QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarAddLine,
            QStyle::SC_ScrollBarSubPage, QStyle::SC_ScrollBarAddPage };
        QTest::mouseClick(
            bar, Qt::LeftButton, {}, bar->part(parts.at(static_cast<std::size_t>(move))).center());
    }

private:
    void tab_to(model::ControlId control)
    {
        for (int tabs = 0; tabs < 14 && QApplication::focusWidget() != m_view.widget(control); ++tabs)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    WindowView const& m_view;
};

}
