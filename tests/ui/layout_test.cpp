#include "look/look.h"
#include "model/form1.h"
#include "ui/form_window.h"
#include "ui/widgets.h"

#include <QFontMetrics>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace tintora::ui {
namespace {

    // Every caption is drawn in a font that has all its characters (no boxes),
    // and fits its label, with the numbers each number label will ever show.
    TEST(Look, EveryCaptionRendersAndFitsItsLabel)
    {
        FormWindow window;
        auto& form = window.form();
        std::vector<std::pair<std::string, std::vector<std::string>>> samples;
        for (auto const* control : form.controls()) {
            if (control->kind() == model::Kind::Label)
                samples.push_back(
                    { control->name(), { static_cast<model::Label const*>(control)->Caption.get() } });
        }
        for (auto& [name, captions] : samples) {
            if (name.starts_with("label") || name == "Label4" || name == "Label5" || name == "Label6"
                || (name.starts_with("Label1") && name.size() == 7)) {
                captions.insert(captions.end(), { "0", "188", "255" });
            }
            if (name == "Label7" || name == "Label8" || name == "Label9")
                captions.insert(captions.end(), { "0", "255" });
            if (name == "Label20")
                captions.insert(captions.end(), { "100", "-665", "-388" });
        }
        for (auto const& [name, captions] : samples) {
            auto* widget = dynamic_cast<LabelWidget*>(window.widget_of(name));
            ASSERT_NE(widget, nullptr) << name;
            for (auto const& caption : captions) {
                SCOPED_TRACE(name + " \"" + caption + "\"");
                widget->set_caption(QString::fromStdString(caption));
                auto const& layout = widget->caption_layout();
                QFontMetrics const metrics(layout.font());
                for (auto const code : QString::fromStdString(caption).toUcs4())
                    EXPECT_TRUE(metrics.inFontUcs4(code)) << "U+" << std::hex << code;
                EXPECT_LE(layout.used_height(), widget->height() + 0.5);
                // Shrinking is for the stand-in fonts' taller lines; the numbers
                // and short captions keep their designed size.
                if (caption.size() <= 4) {
                    EXPECT_EQ(layout.font().pixelSize(), widget->font().pixelSize());
                }
            }
        }
    }

    TEST(Look, ButtonCaptionsRenderInTheirFonts)
    {
        FormWindow window;
        for (auto const* control : window.form().controls()) {
            if (control->kind() != model::Kind::CommandButton)
                continue;
            auto const* widget = window.widget_of(control->name());
            auto const& caption = static_cast<model::CommandButton const*>(control)->Caption;
            SCOPED_TRACE(control->name());
            QFontMetrics const metrics(widget->font());
            for (auto const code : QString::fromStdString(caption).toUcs4())
                EXPECT_TRUE(metrics.inFontUcs4(code)) << "U+" << std::hex << code;
            EXPECT_LE(metrics.horizontalAdvance(QString::fromStdString(caption)), widget->width());
        }
    }

    TEST(Look, PaintsTheDesignedColours)
    {
        FormWindow window;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        auto const image = window.grab().toImage();
        qreal const scale = image.devicePixelRatio();
        auto const at = [&](int x, int y) {
            return image.pixelColor(QPoint(static_cast<int>(x * scale), static_cast<int>(y * scale)));
        };
        EXPECT_EQ(image.width(), static_cast<int>(look::pixels(look::client_width_twips) * scale));
        EXPECT_EQ(at(5, 300), window.palette().color(QPalette::HighlightedText)) << "window background";
        EXPECT_EQ(at(105, 10), QColor(0xFF, 0xC0, 0x80)) << "title, opaque";
        EXPECT_EQ(at(104, 10), QColor(Qt::black)) << "title border";
        EXPECT_EQ(at(442, 70), QColor(0x80, 0xFF, 0xFF)) << "ＳＴＡＲＴ face";
        EXPECT_EQ(at(200, 150), QColor(Qt::white)) << "test patch, white at opening";
    }

    // How much darker than its face a control's caption makes it, per
    // logical pixel, when drawn at a display scale; the bevels are left out.
    double caption_ink(QWidget& widget, qreal scale)
    {
        QImage image((QSizeF(widget.size()) * scale).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(scale);
        widget.render(&image);
        int const inset = static_cast<int>(4 * scale);
        int const face = qGray(image.pixel(inset, inset));
        double ink = 0;
        for (int y = inset; y < image.height() - inset; ++y) {
            for (int x = inset; x < image.width() - inset; ++x)
                ink += std::max(0, face - qGray(image.pixel(x, y)));
        }
        return ink / face / (scale * scale);
    }

    // The IPA fonts have no bold face: their bold is made by the font
    // engine, and must not fade as the display's scale grows.
    TEST(Look, BoldCaptionsKeepTheirWeightAtEveryScale)
    {
        FormWindow window;
        for (auto const* name : { "Command1", "Command6", "StartButton", "EndButton", "Label3" }) {
            auto& widget = *window.widget_of(name);
            double const at_one = caption_ink(widget, 1);
            for (qreal const scale : { 1.25, 1.5, 1.75, 2.0 }) {
                SCOPED_TRACE(std::string(name) + " at scale " + std::to_string(scale));
                EXPECT_NEAR(caption_ink(widget, scale) / at_one, 1.0, 0.07);
            }
        }
    }

    // The horizontal centres of the blue arrows on the hint's last line, in
    // logical pixels of the window.
    std::vector<double> arrow_centres(QImage const& image, QRect const& hint, int em)
    {
        qreal const scale = image.devicePixelRatio();
        auto const is_ink = [&](int x, int y) {
            QRgb const pixel = image.pixel(static_cast<int>(x * scale), static_cast<int>(y * scale));
            return qRed(pixel) < 128 && qBlue(pixel) > 128;
        };
        int bottom = hint.bottom();
        while (bottom > hint.top() && [&] {
            for (int x = hint.left(); x <= hint.right(); ++x) {
                if (is_ink(x, bottom))
                    return false;
            }
            return true;
        }())
            --bottom;
        std::vector<std::pair<int, int>> runs;
        for (int x = hint.left(); x <= hint.right(); ++x) {
            bool inked = false;
            for (int y = bottom - em * 6 / 10; y <= bottom; ++y)
                inked = inked || is_ink(x, y);
            if (!inked)
                continue;
            if (!runs.empty() && x - runs.back().second <= 2)
                runs.back().second = x;
            else
                runs.emplace_back(x, x);
        }
        std::vector<double> centres;
        for (auto const& [from, to] : runs)
            centres.push_back((from + to + 1) / 2.0);
        return centres;
    }

    TEST(Look, HintArrowsStandOverTheBarsEndArrowsInEveryStage)
    {
        FormWindow window;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        struct Stage {
            std::vector<char const*> clicks;
            char const* bar;
        };
        for (auto const& stage :
            { Stage { { "StartButton" }, "red" }, Stage { { "Command1", "GreenBottun" }, "green" },
                Stage { { "Command2", "BlueBottun" }, "blue" } }) {
            SCOPED_TRACE(stage.bar);
            for (auto const* name : stage.clicks)
                QTest::mouseClick(window.widget_of(name), Qt::LeftButton);
            auto const* bar = dynamic_cast<BarWidget*>(window.widget_of(stage.bar));
            auto const* hint = dynamic_cast<LabelWidget*>(window.widget_of("Label21"));
            auto const centres = arrow_centres(
                window.grab().toImage(), hint->geometry(), hint->caption_layout().font().pixelSize());
            ASSERT_EQ(centres.size(), 2U);
            auto const end_arrow = [bar](QStyle::SubControl part) {
                return bar->x() + bar->part(part).left() + bar->part(part).width() / 2.0;
            };
            EXPECT_NEAR(centres[0], end_arrow(QStyle::SC_ScrollBarSubLine), 1.0);
            EXPECT_NEAR(centres[1], end_arrow(QStyle::SC_ScrollBarAddLine), 1.0);
        }
    }

    // The window's title and client area, and every control in its designed
    // place and named by its control's name, whatever the window's size.
    TEST(Opening, WindowIsForm1WithEveryControlInItsDesignedPlace)
    {
        FormWindow window;
        QSize const designed(look::pixels(look::client_width_twips), look::pixels(look::client_height_twips));
        EXPECT_EQ(window.windowTitle(), to_qstring(look::window_title));
        EXPECT_EQ(window.size(), designed);
        for (QSize const size : { designed, QSize(900, 800) }) {
            window.resize(size);
            for (auto const* control : window.form().controls()) {
                auto const& place = control->place();
                auto const* widget = window.widget_of(*control);
                EXPECT_EQ(widget->geometry(),
                    QRect(look::pixels(place.left), look::pixels(place.top), look::pixels(place.width),
                        look::pixels(place.height)))
                    << control->name();
                EXPECT_EQ(widget->objectName().toStdString(), control->name());
            }
        }
    }

}
}
