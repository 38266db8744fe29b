#include "look/spoken.h"
#include "tests/support/scripted_random.h"
#include "tests/ui/window_view.h"

#include <QAccessible>
#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>

namespace tintora::ui {
namespace {

    using measurement::testing::ScriptedRandom;

    class WindowTest : public ::testing::Test {
    protected:
        void SetUp() override
        {
            auto owned = std::make_unique<ScriptedRandom>();
            random = owned.get();
            window = std::make_unique<FormWindow>(std::move(owned));
            window->show();
            QApplication::setActiveWindow(window.get());
            ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        }

        QWidget* widget(std::string const& name) const { return window->widget_of(name); }
        BarWidget* bar(std::string const& name) const { return dynamic_cast<BarWidget*>(widget(name)); }
        QString text(std::string const& name) const { return dynamic_cast<QLabel*>(widget(name))->text(); }

        void click(std::string const& name) const { QTest::mouseClick(widget(name), Qt::LeftButton); }

        ScriptedRandom* random = nullptr;
        std::unique_ptr<FormWindow> window;
    };

    // A whole measurement done only as a user does it: mouse clicks on
    // buttons, end arrows and the track, and keys. Checked on what the
    // widgets show.
    TEST_F(WindowTest, WholeMeasurementByMouseAndKeyboard)
    {
        WindowView const view(*window);
        WindowHands hands(view);
        check::play_whole_measurement(hands, view, *random, true);
    }

    // Every key of a focused bar, and a click on each end arrow and on the
    // track either side of the thumb, moves it as look/ says, from anywhere,
    // stopping at the ends; a click far from the thumb still moves only ten.
    TEST_F(WindowTest, KeysAndClicksMoveTheBarAsLookSaysAndStopAtTheEnds)
    {
        random->then({ 0, 0, 0 });
        click("StartButton");
        auto* red = bar("red");
        WindowView const view(*window);
        WindowHands hands(view);
        for (int const from : { 0, 5, 150, 250, 255 }) {
            auto const expect_moved = [&](look::BarMove move, std::string const& how) {
                EXPECT_EQ(text("labelred").toInt(), look::value_after(move, from)) << how << " from " << from;
                window->form().bar("red").Value = from;
            };
            window->form().bar("red").Value = from;
            for (auto const& key : look::bar_keys) {
                red->setFocus();
                QTest::keyClick(red, QKeySequence::fromString(to_qstring(key.qt_key))[0].key());
                expect_moved(key.move, std::string(key.key));
            }
            for (auto const move : { look::BarMove::StepLess, look::BarMove::StepMore,
                     look::BarMove::PageLess, look::BarMove::PageMore }) {
                hands.move("red", move, false);
                expect_moved(move, "a click for move " + std::to_string(static_cast<int>(move)));
            }
        }
        window->form().bar("red").Value = 0;
        QTest::mouseClick(
            red, Qt::LeftButton, {}, red->part(QStyle::SC_ScrollBarAddPage).topRight() + QPoint(-2, 5));
        EXPECT_EQ(text("labelred"), "10");
    }

    TEST_F(WindowTest, DraggingTheThumbRaisesOneChangeOnRelease)
    {
        random->then({ 0, 0, 0 });
        click("StartButton");
        auto& model_bar = window->form().bar("red");
        int changes = 0;
        auto const handler = [&] { ++changes; };
        model_bar.Value.observe([&](int) { handler(); });
        auto* red = bar("red");
        QPoint const from = red->part(QStyle::SC_ScrollBarSlider).center();
        widget("EndButton")->setFocus();
        QTest::mouseClick(red, Qt::LeftButton, {}, from);
        EXPECT_EQ(changes, 0) << "a click on the thumb moves nothing";
        EXPECT_EQ(QApplication::focusWidget(), red) << "and gives the bar the focus";
        QTest::mousePress(red, Qt::LeftButton, {}, from);
        for (int dx = 5; dx <= 40; dx += 5) {
            QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(dx, 0)),
                red->mapToGlobal(QPointF(from + QPoint(dx, 0))), Qt::LeftButton, Qt::LeftButton,
                Qt::NoModifier);
            QApplication::sendEvent(red, &move);
            EXPECT_EQ(text("labelred"), "150") << "nothing changes while dragging";
        }
        QTest::mouseRelease(red, Qt::LeftButton, {}, from + QPoint(40, 0));
        EXPECT_EQ(changes, 1);
        EXPECT_GT(model_bar.Value.get(), 150);
        EXPECT_EQ(text("labelred").toInt(), model_bar.Value.get());
        EXPECT_EQ(red->value(), model_bar.Value.get());
    }

    // Tab and Shift+Tab go where look/ says, past hidden controls and labels.
    TEST_F(WindowTest, TabSkipsHiddenControlsAndLabelsNeverTakeTheFocus)
    {
        random->then({ 0, 0, 0 });
        click("StartButton");
        widget("EndButton")->setFocus();
        auto const focus = [] { return QApplication::focusWidget()->objectName().toStdString(); };
        for (bool const forward : { true, true, true, true, true, false, false, false }) {
            auto const* from = &window->form().control_named(focus());
            QTest::keyClick(QApplication::focusWidget(), forward ? Qt::Key_Tab : Qt::Key_Backtab);
            EXPECT_EQ(focus(), look::next_tab_stop(window->form(), from, forward)->name()) << from->name();
        }
        QTest::mouseClick(widget("labelred"), Qt::LeftButton);
        EXPECT_EQ(focus(), "Command1") << "a click on a label leaves it there";
    }

    // The window shows each handler's writes before the next event: the paint
    // has happened when the click returns, not only been scheduled.
    TEST_F(WindowTest, HandlerChangesArePaintedBeforeTheNextEvent)
    {
        random->then({ 0, 0, 0 });
        click("StartButton");
        QCoreApplication::processEvents();
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* event) override
            {
                paints += event->type() == QEvent::Paint ? 1 : 0;
                return false;
            }
        } counter;
        widget("labelred")->installEventFilter(&counter);
        widget("Shape2")->installEventFilter(&counter);
        // The user's step arrives straight from the widget, with no event loop
        // turning in between that could paint on its own.
        bar("red")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(text("labelred"), "151");
        EXPECT_GE(counter.paints, 2);
    }

    TEST_F(WindowTest, AnErrorInAHandlerStopsAtTheEventBoundaryNamingControlAndEvent)
    {
        std::string reported;
        window->set_error_sink([&](std::string const& message) { reported = message; });
        // ＳＴＡＲＴ with no colour left to draw: the random source fails inside the handler.
        click("StartButton");
        EXPECT_NE(reported.find("StartButton.Click: "), std::string::npos) << reported;
        EXPECT_NE(reported.find("no more values"), std::string::npos) << reported;
    }

    TEST_F(WindowTest, AnEscapedErrorEndsTheProgramWithStatusOneAndOneLine)
    {
        ::testing::internal::CaptureStderr();
        QTimer::singleShot(0, [this] { click("StartButton"); });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
        EXPECT_EQ(QCoreApplication::exec(), 1);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "tintora: StartButton.Click: the script has no more values\n");
    }

    TEST_F(WindowTest, EnterOnTheFocusedEndAtOpeningEndsTheProgram)
    {
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter); });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
        EXPECT_EQ(QCoreApplication::exec(), 0);
    }

    // What assistive technology reads is what the window's words say: each
    // control's name (its caption, its channel or its letter), description
    // and caption as read; a hidden label reads nothing. Bars tell and take
    // their value.
    TEST_F(WindowTest, EveryControlReadsAsTheWindowsWordsSay)
    {
        random->then({ 1, 2, 3 });
        for (bool const started : { false, true }) {
            if (started)
                click("StartButton");
            for (auto const* control : window->form().controls()) {
                auto* iface = QAccessible::queryAccessibleInterface(widget(control->name()));
                ASSERT_NE(iface, nullptr) << control->name();
                SCOPED_TRACE(control->name());
                auto const words = look::spoken_of(control->index());
                QString name = to_qstring(words.name);
                if (auto const* label = dynamic_cast<model::Label const*>(control))
                    name = label->Visible ? to_qstring(look::spoken_caption(words.role, label->Caption.get()))
                                          : "";
                else if (name.isEmpty())
                    name = to_qstring(model::control_table[control->index()].caption);
                EXPECT_EQ(iface->text(QAccessible::Name), name);
                EXPECT_EQ(iface->text(QAccessible::Description), to_qstring(words.description));
            }
        }
        auto* value = QAccessible::queryAccessibleInterface(widget("red"))->valueInterface();
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->minimumValue().toInt(), 0);
        EXPECT_EQ(value->maximumValue().toInt(), 255);
        EXPECT_EQ(value->currentValue().toInt(), 150);
        value->setCurrentValue(42);
        EXPECT_EQ(window->form().bar("red").Value.get(), 42);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(widget("labelred"))->text(QAccessible::Name),
            QString::fromUtf8("赤の値 42"))
            << "read with what it holds";
    }

}
}
