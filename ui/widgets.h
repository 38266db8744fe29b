#pragma once

#include "look/look.h"
#include "model/controls.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextLayout>
#include <QWidget>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace tintora::ui {

QColor to_qcolor(model::Colour colour);
inline QString to_qstring(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
QFont to_qfont(look::Font const& font);

// A caption laid out the way the window draws labels: from the top edge, each
// line aligned left or centred, broken at spaces or between full-width
// characters. Lines stand one em apart, as with the designed fonts; where the
// caption still does not fit the label, the font shrinks until it does, so
// that nothing is ever cut off.
//
// A caption that points down at a bar (the fine-adjust hint) ends in a line of
// arrows: that line starts at the first "↓", and its arrows stand centred on
// the given places, the first on one, the last on the other; the spaces
// between them stretch or shrink to match.
class CaptionLayout {
public:
    struct ArrowTargets {
        qreal first;
        qreal last;
    };

    void set(QString const& text, QFont const& font, look::Align align, QRectF const& box,
        std::optional<ArrowTargets> arrows = std::nullopt);
    void draw(QPainter& painter) const;
    QFont const& font() const { return m_font; }
    int line_count() const { return m_line_count; }
    // The height the lines take, from the first line's top to the last one's ink bottom.
    qreal used_height() const { return m_used_height; }

private:
    // A piece of a line, with the point its baseline starts at.
    struct Run {
        QString text;
        QPointF origin;
    };

    bool lay_out(QFont const& font);
    bool lay_out_arrows(QString const& arrows, QFont const& font, qreal top);

    QString m_text;
    QFont m_font;
    look::Align m_align = look::Align::Left;
    QRectF m_box;
    std::optional<ArrowTargets> m_arrows;
    std::vector<Run> m_runs;
    int m_line_count = 0;
    qreal m_used_height = 0;
};

// Draws text at the device's own pixel size, whatever the display's scale.
void draw_text(QPainter& painter, QFont const& font, QPointF baseline, QString const& text);
void draw_text(QPainter& painter, QFont const& font, QRectF const& box, int flags, QString const& text);

// Its own class name for the toolkit, so that assistive technology asks the
// window, before Qt's own label interface, how it is to be read.
class LabelWidget final : public QLabel {
    Q_OBJECT

public:
    LabelWidget(model::Label& label, look::Look const& look, QWidget* parent);
    void set_caption(QString const& caption);
    // Lays the caption's last line of arrows out over these places, in the
    // label's own coordinates.
    void point_arrows_at(CaptionLayout::ArrowTargets targets);
    // What the label's text is, for a screen reader ("赤の正解"): it is read
    // before the caption. Empty for labels that are read as they stand.
    void set_spoken_role(QString const& role) { m_spoken_role = role; }
    QString const& spoken_role() const { return m_spoken_role; }
    CaptionLayout const& caption_layout() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The caption is laid out again when it is next needed, for painting or
    // measuring, and not before: a label that is never shown costs no layout
    // and no font.
    void lay_out_anew();

    look::Look const& m_look;
    mutable CaptionLayout m_caption;
    mutable bool m_laid_out = false;
    std::optional<CaptionLayout::ArrowTargets> m_arrows;
    QString m_spoken_role;
};

class ButtonWidget final : public QPushButton {
public:
    ButtonWidget(model::CommandButton& button, look::Look const& look, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void paint_standard(QPainter& painter);

    look::Look const& m_look;
};

// From the first key the user presses on, the window marks the focused
// control, whether the focus came by Tab, by a click or by a handler.
void show_focus_from_now_on(QWidget& widget);

class BarWidget final : public QScrollBar {
public:
    BarWidget(model::HScrollBar& bar, QWidget* parent);
    // Where a part of the bar (an end arrow, the thumb, the track on either
    // side of it) lies, in the bar's own coordinates.
    QRect part(QStyle::SubControl part) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

class ShapeWidget final : public QWidget {
public:
    ShapeWidget(model::Shape& shape, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    model::Shape& m_shape;
};

}
