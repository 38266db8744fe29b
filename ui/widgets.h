#pragma once

#include "model/controls.h"
#include "ui/look.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextLayout>
#include <QWidget>

#include <memory>
#include <string_view>
#include <vector>

namespace tintora::ui {

QColor to_qcolor(model::Colour colour, QPalette const& palette);
inline QString to_qstring(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
QFont to_qfont(Font const& font);

// A caption laid out the way the window draws labels: from the top edge, each
// line aligned left or centred, broken at spaces or between full-width
// characters. Lines stand one em apart, as with the designed fonts; where the
// caption still does not fit the label, the font shrinks until it does, so
// that nothing is ever cut off.
class CaptionLayout {
public:
    void set(QString const& text, QFont const& font, Align align, QRectF const& box);
    void draw(QPainter& painter) const;
    QFont const& font() const { return m_font; }
    int line_count() const;
    // The height the lines take, from the first line's top to the last one's ink bottom.
    qreal used_height() const { return m_used_height; }

private:
    bool lay_out(QFont const& font);

    QString m_text;
    QFont m_font;
    Align m_align = Align::Left;
    QRectF m_box;
    std::unique_ptr<QTextLayout> m_layout;
    qreal m_used_height = 0;
};

class LabelWidget final : public QLabel {
public:
    LabelWidget(model::Label& label, Look const& look, QWidget* parent);
    void set_caption(QString const& caption);
    CaptionLayout const& caption_layout() const { return m_caption; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();

    Look const& m_look;
    CaptionLayout m_caption;
};

class ButtonWidget final : public QPushButton {
public:
    ButtonWidget(model::CommandButton& button, Look const& look, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Look const& m_look;
};

class BarWidget final : public QScrollBar {
public:
    BarWidget(model::HScrollBar& bar, QWidget* parent);
    // Where a part of the bar (an end arrow, the thumb, the track on either
    // side of it) lies, in the bar's own coordinates.
    QRect part(QStyle::SubControl part) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
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
