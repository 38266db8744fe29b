#include "measurement/measurement.h"
#include "tests/ui/window_view.h"

#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace tintora::ui {
namespace {

    // The mouse and keys of a restless user: besides what every edition's
    // user does, a click anywhere (on any part of a shown control, where a
    // hidden one lies, or on the bare window), a drag of a thumb, and any
    // key on whatever has the focus; never on "ＥＮＤ" and never at the
    // close box: those end the program and are tested on their own.
    class RestlessHands final : public WindowHands {
    public:
        RestlessHands(FormWindow& window, WindowView const& view)
            : WindowHands(view)
            , m_window(window)
        {
        }

        std::string stray(std::mt19937& rng) override
        {
            m_rng = &rng;
            int const kind = uniform(0, 9);
            if (kind < 4)
                return click();
            if (kind < 6)
                return drag();
            return key();
        }

    private:
        int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(*m_rng); }
        QPoint inside(QRect const& r)
        {
            return { uniform(r.left(), r.right()), uniform(r.top(), r.bottom()) };
        }

        std::vector<QWidget*> children(bool visible)
        {
            std::vector<QWidget*> found;
            for (auto* child : m_window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (child->isVisible() == visible && child->objectName() != "EndButton")
                    found.push_back(child);
            }
            return found;
        }

        // Mostly on a shown control (on a bar: an end arrow, the track on either
        // side, or the thumb), sometimes where a hidden one lies, sometimes anywhere.
        std::string click()
        {
            QPoint point;
            int const where = uniform(0, 9);
            auto const shown = children(true);
            auto const hidden = children(false);
            if (where < 7 && !shown.empty()) {
                auto* target
                    = shown[static_cast<std::size_t>(uniform(0, static_cast<int>(shown.size()) - 1))];
                QRect area = target->rect();
                if (auto* bar = dynamic_cast<BarWidget*>(target)) {
                    static constexpr std::array parts { QStyle::SC_ScrollBarAddLine,
                        QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarAddPage, QStyle::SC_ScrollBarSubPage,
                        QStyle::SC_ScrollBarSlider };
                    area = bar->part(parts[static_cast<std::size_t>(uniform(0, 4))]);
                    if (area.isEmpty())
                        area = bar->rect();
                }
                point = target->mapTo(&m_window, inside(area));
            } else if (where < 9 && !hidden.empty()) {
                auto* target
                    = hidden[static_cast<std::size_t>(uniform(0, static_cast<int>(hidden.size()) - 1))];
                point = inside(target->geometry());
            } else {
                point = inside(m_window.rect());
            }
            QWidget* receiver = m_window.childAt(point);
            if (receiver != nullptr && receiver->objectName() == "EndButton")
                return "click on ＥＮＤ left out";
            if (receiver == nullptr)
                receiver = &m_window;
            QTest::mouseClick(receiver, Qt::LeftButton, {}, receiver->mapFrom(&m_window, point));
            std::ostringstream said;
            said << "click at " << point.x() << "," << point.y() << " on "
                 << receiver->objectName().toStdString();
            return said.str();
        }

        std::string drag()
        {
            std::vector<BarWidget*> bars;
            for (auto* child : children(true)) {
                if (auto* bar = dynamic_cast<BarWidget*>(child))
                    bars.push_back(bar);
            }
            if (bars.empty())
                return key();
            auto* bar = bars[static_cast<std::size_t>(uniform(0, static_cast<int>(bars.size()) - 1))];
            QPoint const from = bar->part(QStyle::SC_ScrollBarSlider).center();
            QPoint const to = from + QPoint(uniform(-200, 200), uniform(-10, 10));
            QTest::mousePress(bar, Qt::LeftButton, {}, from);
            QMouseEvent move(QEvent::MouseMove, QPointF(to), bar->mapToGlobal(QPointF(to)), Qt::LeftButton,
                Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(bar, &move);
            QTest::mouseRelease(bar, Qt::LeftButton, {}, to);
            return "drag of " + bar->objectName().toStdString() + " by " + std::to_string(to.x() - from.x());
        }

        std::string key()
        {
            static constexpr std::array keys { Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Space, Qt::Key_Return,
                Qt::Key_Enter, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp,
                Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End };
            auto key = keys[static_cast<std::size_t>(uniform(0, static_cast<int>(keys.size()) - 1))];
            QWidget* focus = QApplication::focusWidget();
            if (focus == nullptr)
                focus = &m_window;
            bool const presses_end = focus->objectName() == "EndButton"
                && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter);
            if (presses_end)
                key = Qt::Key_Tab;
            QTest::keyClick(focus, key);
            return "key " + QKeySequence(key).toString().toStdString() + " on "
                + focus->objectName().toStdString();
        }

        FormWindow& m_window;
        std::mt19937* m_rng = nullptr;
    };

    TEST(RandomUser, NoSequenceOfEventsBreaksTheWindow)
    {
        constexpr unsigned users = 5;
        constexpr int events_per_user = 4500;
        int scores = 0;
        for (unsigned seed = 1; seed <= users; ++seed) {
            std::uint64_t tick = seed;
            FormWindow window(
                std::make_unique<measurement::ClockSeededRandom>([&tick] { return tick += 7919; }, seed));
            std::string escaped;
            window.set_error_sink([&escaped](std::string const& message) { escaped = message; });
            window.show();
            QApplication::setActiveWindow(&window);
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
            WindowView const view(window);
            RestlessHands hands(window, view);
            scores += check::play_at_random(hands, view, seed, events_per_user);
            EXPECT_EQ(escaped, "") << "seed " << seed;
        }
        // The users must get through whole measurements, not only wander in one stage.
        std::printf(
            "%u users, %d events, %d of them with a score shown\n", users, users * events_per_user, scores);
        EXPECT_GT(scores, 50);
    }

}
}
