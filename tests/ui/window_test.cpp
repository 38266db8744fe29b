#include "tests/support/scripted_random.h"
#include "ui/form_window.h"
#include "ui/widgets.h"

#include <QAccessible>
#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>
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

        std::set<std::string> visible_widgets() const
        {
            std::set<std::string> names;
            for (auto const* control : window->form().controls()) {
                if (widget(control->name())->isVisible())
                    names.insert(control->name());
            }
            return names;
        }

        // The colour a patch shows on screen.
        QColor patch(std::string const& name) const
        {
            auto const image = widget(name)->grab().toImage();
            return image.pixelColor(image.width() / 2, image.height() / 2);
        }

        void click(std::string const& name) const { QTest::mouseClick(widget(name), Qt::LeftButton); }
        void click_part(std::string const& name, QStyle::SubControl part) const
        {
            auto* target = bar(name);
            QTest::mouseClick(target, Qt::LeftButton, {}, target->part(part).center());
        }

        ScriptedRandom* random = nullptr;
        std::unique_ptr<FormWindow> window;
    };

    TEST_F(WindowTest, OpensWithTitleHintStartAndEndShownAndTheFocusOnEnd)
    {
        EXPECT_EQ(visible_widgets(),
            (std::set<std::string> {
                "Label3", "Label2(1)", "StartButton", "EndButton", "Shape1", "Shape2" }));
        EXPECT_EQ(QApplication::focusWidget(), widget("EndButton"));
        EXPECT_EQ(widget("StartButton")->geometry(), QRect(440, 64, 89, 41));
        EXPECT_EQ(widget("EndButton")->toolTip(), QString::fromUtf8("終了"));
    }

    // A whole measurement done only as a user does it: mouse clicks on buttons,
    // end arrows and the track, and keys. Checked on what the widgets show.
    TEST_F(WindowTest, WholeMeasurementByMouseAndKeyboard)
    {
        random->then({ 100, 40, 200 });
        click("StartButton");
        EXPECT_EQ(visible_widgets(),
            (std::set<std::string> { "Label3", "EndButton", "Shape1", "Shape2", "Label1(0)", "Label1(1)",
                "Label2(2)", "Label21", "red", "labelred", "Command1", "RedBottun" }));
        EXPECT_EQ(patch("Shape1"), QColor(100, 40, 200));
        EXPECT_EQ(patch("Shape2"), QColor(150, 40, 200));
        EXPECT_EQ(text("labelred"), "150");

        click_part("red", QStyle::SC_ScrollBarSubPage);
        EXPECT_EQ(text("labelred"), "140");
        click_part("red", QStyle::SC_ScrollBarSubLine);
        EXPECT_EQ(text("labelred"), "139");
        click_part("red", QStyle::SC_ScrollBarAddLine);
        click_part("red", QStyle::SC_ScrollBarAddLine);
        EXPECT_EQ(text("labelred"), "141");
        EXPECT_EQ(patch("Shape2"), QColor(141, 40, 200));
        click_part("red", QStyle::SC_ScrollBarSlider); // takes the focus, moves nothing
        ASSERT_EQ(QApplication::focusWidget(), bar("red"));
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(bar("red"), Qt::Key_PageUp);
        QTest::keyClick(bar("red"), Qt::Key_Left);
        EXPECT_EQ(text("labelred"), "100");

        // Tab from the bar: the next shown stop after the bar is "ＥＮＤ", then R, then 確定.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), widget("EndButton"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), widget("Command1"));
        QTest::keyClick(widget("Command1"), Qt::Key_Return);
        EXPECT_EQ(text("Label17"), "100");
        EXPECT_EQ(text("Label4"), "100");
        EXPECT_EQ(text("Label7"), "0");
        EXPECT_TRUE(widget("Label13(0)")->isVisible());
        EXPECT_FALSE(widget("Command1")->isVisible());
        EXPECT_EQ(widget("Label21")->y(), 344) << "hint moved one row down";

        random->then({ 30, 160, 70 });
        click("GreenBottun");
        EXPECT_EQ(QApplication::focusWidget(), bar("green")) << "a click on G gives its bar the focus";
        EXPECT_EQ(patch("Shape2"), QColor(30, 150, 70));
        click_part("green", QStyle::SC_ScrollBarSlider);
        ASSERT_EQ(QApplication::focusWidget(), bar("green"));
        EXPECT_EQ(text("labelgreen"), "150") << "a click on the thumb changes nothing";
        QTest::keyClick(bar("green"), Qt::Key_PageDown);
        QTest::keyClick(bar("green"), Qt::Key_Right);
        QTest::keyClick(bar("green"), Qt::Key_Down);
        QTest::keyClick(bar("green"), Qt::Key_Up);
        EXPECT_EQ(text("labelgreen"), "161");
        QTest::keyClick(
            QApplication::focusWidget(), Qt::Key_Backtab); // back from the bar, past the hidden ones
        ASSERT_EQ(QApplication::focusWidget(), widget("Command2"));
        QTest::keyClick(widget("Command2"), Qt::Key_Space);
        EXPECT_EQ(text("Label8"), "1");
        EXPECT_TRUE(widget("Label13(1)")->isVisible());

        random->then({ 5, 6, 0 });
        click("BlueBottun");
        click_part("blue", QStyle::SC_ScrollBarSlider);
        QTest::keyClick(bar("blue"), Qt::Key_Home);
        QTest::keyClick(bar("blue"), Qt::Key_Left);
        EXPECT_EQ(text("labelblue"), "0") << "clamped at 0";
        click_part("blue", QStyle::SC_ScrollBarAddPage);
        click_part("blue", QStyle::SC_ScrollBarAddLine);
        EXPECT_EQ(text("labelblue"), "11");
        click("Command3");
        EXPECT_EQ(text("Label9"), "11");
        EXPECT_TRUE(widget("Label15(2)")->isVisible());
        EXPECT_TRUE(widget("Command6")->isVisible());

        click("Command6");
        EXPECT_EQ(text("Label20"), "88");
        EXPECT_TRUE(widget("SaisokuteiButton")->isVisible());

        random->then({ 1, 2, 3 });
        click("SaisokuteiButton");
        EXPECT_EQ(widget("Label21")->y(), 296);
        EXPECT_FALSE(widget("Label20")->isVisible());
        EXPECT_TRUE(widget("red")->isVisible());
        EXPECT_EQ(patch("Shape1"), QColor(1, 2, 3));
        EXPECT_EQ(patch("Shape2"), QColor(150, 2, 3));
    }

    TEST_F(WindowTest, KeysStepTheBarAsOnAnyDesktopAndClamp)
    {
        random->then({ 0, 0, 0 });
        click("StartButton");
        auto* red = bar("red");
        red->setFocus();
        struct Step {
            Qt::Key key;
            int expected;
        };
        for (auto const& [key, expected] : { Step { Qt::Key_Right, 151 }, Step { Qt::Key_Down, 152 },
                 Step { Qt::Key_Left, 151 }, Step { Qt::Key_Up, 150 }, Step { Qt::Key_PageDown, 160 },
                 Step { Qt::Key_PageUp, 150 }, Step { Qt::Key_End, 255 }, Step { Qt::Key_Right, 255 },
                 Step { Qt::Key_PageDown, 255 }, Step { Qt::Key_PageUp, 245 }, Step { Qt::Key_Home, 0 },
                 Step { Qt::Key_Up, 0 }, Step { Qt::Key_PageUp, 0 } }) {
            QTest::keyClick(red, key);
            EXPECT_EQ(window->form().bar("red").Value.get(), expected)
                << QKeySequence(key).toString().toStdString();
            EXPECT_EQ(text("labelred").toInt(), expected);
        }
    }

    TEST_F(WindowTest, TrackClicksMoveTenTowardsTheClickAndStopAtTheEnds)
    {
        random->then({ 0, 0, 0 });
        click("StartButton");
        window->form().bar("red").Value = 5;
        click_part("red", QStyle::SC_ScrollBarSubPage);
        EXPECT_EQ(text("labelred"), "0");
        click_part("red", QStyle::SC_ScrollBarSubLine);
        EXPECT_EQ(text("labelred"), "0");
        window->form().bar("red").Value = 250;
        click_part("red", QStyle::SC_ScrollBarAddPage);
        EXPECT_EQ(text("labelred"), "255");
        click_part("red", QStyle::SC_ScrollBarAddLine);
        EXPECT_EQ(text("labelred"), "255");
        // A click far from the thumb still moves only ten.
        window->form().bar("red").Value = 0;
        auto* red = bar("red");
        auto const far_right = red->part(QStyle::SC_ScrollBarAddPage).topRight() + QPoint(-2, 5);
        QTest::mouseClick(red, Qt::LeftButton, {}, far_right);
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

    TEST_F(WindowTest, TabSkipsHiddenControlsAndLabelsNeverTakeTheFocus)
    {
        random->then({ 0, 0, 0 });
        click("StartButton");
        widget("EndButton")->setFocus();
        std::vector<std::string> order;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order.push_back(QApplication::focusWidget()->objectName().toStdString());
        }
        EXPECT_EQ(
            order, (std::vector<std::string> { "RedBottun", "Command1", "red", "EndButton", "RedBottun" }));
        QTest::mouseClick(widget("labelred"), Qt::LeftButton);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), "RedBottun");
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

    TEST_F(WindowTest, ClosingTheWindowEndsTheProgram)
    {
        random->then({ 9, 9, 9 });
        click("StartButton");
        QTimer::singleShot(0, [this] { window->close(); });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
        EXPECT_EQ(QCoreApplication::exec(), 0);
    }

    // What assistive technology reads: a name for every control (its caption,
    // or its channel or letter where it has none), the tooltip as description,
    // and bars that tell and take their value.
    TEST_F(WindowTest, EveryControlIsNamedAndDescribedForAssistiveTechnology)
    {
        for (auto const* control : window->form().controls()) {
            auto* iface = QAccessible::queryAccessibleInterface(widget(control->name()));
            ASSERT_NE(iface, nullptr) << control->name();
            SCOPED_TRACE(control->name());
            QString const name = iface->text(QAccessible::Name);
            QString const description = iface->text(QAccessible::Description);
            if (control->Visible) {
                EXPECT_FALSE(name.isEmpty() && description.isEmpty()) << "nothing to read";
            }
            if (!widget(control->name())->toolTip().isEmpty()) {
                EXPECT_EQ(description, widget(control->name())->toolTip());
            }
            if (auto const* label = dynamic_cast<model::Label const*>(control)) {
                // Read as the caption shows it, less arrows and runs of spaces;
                // a hidden label, such as the correct value, reads nothing.
                QString shown = QString::fromStdString(label->Caption.get());
                shown.remove(QRegularExpression(QStringLiteral("[\\x{2190}-\\x{2193}\\x{3000} ]")));
                if (label->Visible)
                    EXPECT_TRUE(name.endsWith(shown))
                        << name.toStdString() << " does not read as " << shown.toStdString();
                else
                    EXPECT_EQ(name, QString()) << "a hidden label reads nothing";
            }
        }
        auto name_of = [this](char const* control) {
            return QAccessible::queryAccessibleInterface(widget(control))->text(QAccessible::Name);
        };
        EXPECT_EQ(name_of("red"), QString::fromUtf8("赤"));
        EXPECT_EQ(name_of("blue"), QString::fromUtf8("青"));
        EXPECT_EQ(name_of("Shape2"), QString::fromUtf8("Ａ"));
        EXPECT_EQ(name_of("Shape1"), QString::fromUtf8("Ｂ"));
        EXPECT_EQ(name_of("StartButton"), QString::fromUtf8("ＳＴＡＲＴ"));

        random->then({ 1, 2, 3 });
        click("StartButton");
        auto* value = QAccessible::queryAccessibleInterface(widget("red"))->valueInterface();
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->minimumValue().toInt(), 0);
        EXPECT_EQ(value->maximumValue().toInt(), 255);
        EXPECT_EQ(value->currentValue().toInt(), 150);
        value->setCurrentValue(42);
        EXPECT_EQ(window->form().bar("red").Value.get(), 42);
        EXPECT_EQ(name_of("labelred"), QString::fromUtf8("赤の値 42")) << "read with what it holds";
        EXPECT_EQ(widget("labelred")->accessibleDescription(), QString::fromUtf8("赤の値"));
    }

}
}
