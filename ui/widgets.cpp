#include "ui/widgets.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QTextOption>

#include <algorithm>
#include <array>
#include <cmath>

namespace tintora::ui {

QColor to_qcolor(model::Colour colour, QPalette const& palette)
{
    if (model::is_system_colour(colour)) {
        switch (model::system_colour_index(colour)) {
        case 14:
            return palette.color(QPalette::HighlightedText);
        case 15:
            return palette.color(QPalette::Button);
        case 18:
            return palette.color(QPalette::ButtonText);
        default:
            return palette.color(QPalette::Window);
        }
    }
    return { model::channel_of(colour, 0), model::channel_of(colour, 1), model::channel_of(colour, 2) };
}

QFont to_qfont(Font const& font)
{
    QFont qfont;
    // The designed fonts first; the IPA fonts share their metrics and stand
    // in for them where they are not installed.
    if (font.typeface == Typeface::Gothic)
        qfont.setFamilies(
            { QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic") });
    else
        qfont.setFamilies({ QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
            QStringLiteral("IPAPGothic") });
    if (font.points > 0)
        qfont.setPixelSize(static_cast<int>(std::lround(font_pixels(font.points))));
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    return qfont;
}

void CaptionLayout::set(QString const& text, QFont const& font, Align align, QRectF const& box)
{
    m_text = text;
    m_align = align;
    m_box = box;
    QFont fitted = font;
    // Shrink a pixel at a time until the caption fits; half the designed
    // size is the floor, where it is drawn as it falls.
    int const designed = font.pixelSize();
    for (int size = designed; size >= designed / 2; --size) {
        fitted.setPixelSize(size);
        if (lay_out(fitted))
            break;
    }
    m_font = fitted;
}

namespace {

    QString trimmed_end(QString text)
    {
        while (!text.isEmpty() && text.back().isSpace())
            text.chop(1);
        return text;
    }

}

bool CaptionLayout::lay_out(QFont const& font)
{
    m_layout = std::make_unique<QTextLayout>(m_text, font);
    QTextOption option(m_align == Align::Left ? Qt::AlignLeft : Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_layout->setTextOption(option);
    auto const em = static_cast<qreal>(font.pixelSize());
    QFontMetricsF const metrics(font);
    qreal top = 0;
    qreal ink_bottom = 0;
    bool fits_across = true;
    m_layout->beginLayout();
    for (QTextLine line = m_layout->createLine(); line.isValid(); line = m_layout->createLine()) {
        line.setLineWidth(m_box.width());
        line.setPosition(QPointF(m_box.left(), m_box.top() + top));
        // What must fit is the ink: a glyph's advance may overhang the box
        // (a 35-pixel ◎ in a 33-pixel cell) while its drawing stays inside.
        // Spaces left hanging at a break are not drawn and take no room.
        auto const ink
            = metrics.tightBoundingRect(trimmed_end(m_text.mid(line.textStart(), line.textLength())));
        ink_bottom = top + line.ascent() + std::max<qreal>(ink.bottom(), 0);
        qreal const ink_left = line.naturalTextRect().left() + ink.left();
        qreal const ink_right = line.naturalTextRect().left() + ink.right();
        fits_across = fits_across
            && (ink.isEmpty() || (ink_left >= m_box.left() - 0.5 && ink_right <= m_box.right() + 0.5));
        top += em;
    }
    m_layout->endLayout();
    m_used_height = ink_bottom;
    return fits_across && ink_bottom <= m_box.height() + 0.5;
}

int CaptionLayout::line_count() const { return m_layout ? m_layout->lineCount() : 0; }

void CaptionLayout::draw(QPainter& painter) const
{
    if (m_layout)
        m_layout->draw(&painter, QPointF(0, 0));
}

LabelWidget::LabelWidget(model::Label& label, Look const& look, QWidget* parent)
    : QLabel(QString::fromStdString(label.Caption.get()), parent)
    , m_look(look)
{
    setFont(to_qfont(look.font));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, look.face == Face::Opaque);
    if (!label.ToolTipText.empty())
        setToolTip(QString::fromStdString(label.ToolTipText));
}

void LabelWidget::set_caption(QString const& caption)
{
    setText(caption);
    relayout();
    update();
}

void LabelWidget::relayout()
{
    qreal const inset = m_look.border ? 1 : 0;
    m_caption.set(text(), font(), m_look.align, QRectF(rect()).adjusted(inset, inset, -inset, -inset));
}

void LabelWidget::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    relayout();
}

void LabelWidget::paintEvent(QPaintEvent* /*event*/)
{
    if (m_caption.line_count() == 0 && !text().isEmpty())
        relayout();
    QPainter painter(this);
    if (m_look.face == Face::Opaque)
        painter.fillRect(rect(), to_qcolor(m_look.back, palette()));
    if (m_look.border) {
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
    painter.setPen(to_qcolor(m_look.text, palette()));
    m_caption.draw(painter);
}

ButtonWidget::ButtonWidget(model::CommandButton& button, Look const& look, QWidget* parent)
    : QPushButton(QString::fromStdString(button.Caption), parent)
    , m_look(look)
{
    setFont(to_qfont(look.font));
    setFocusPolicy(Qt::StrongFocus);
    setAutoDefault(false);
    if (!button.ToolTipText.empty())
        setToolTip(QString::fromStdString(button.ToolTipText));
}

// Outside a dialog a push button ignores Enter; on this window Enter clicks
// the button that has the focus, as Space does.
void ButtonWidget::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

// A graphical button is a raised bevel around a face in its own back colour;
// a standard one is left to the style.
void ButtonWidget::paintEvent(QPaintEvent* event)
{
    if (m_look.face != Face::Graphical) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QRect const outer = rect();
    painter.fillRect(outer, to_qcolor(m_look.back, palette()));
    bool const sunken = isDown();
    auto const bevel = [&painter](QRect r, QColor top_left, QColor bottom_right) {
        painter.setPen(top_left);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottom_right);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    };
    QPalette const& colours = palette();
    QRect frame = outer;
    if (hasFocus()) {
        painter.setPen(Qt::black);
        painter.drawRect(frame.adjusted(0, 0, -1, -1));
        frame.adjust(1, 1, -1, -1);
    }
    if (sunken) {
        painter.setPen(colours.color(QPalette::Dark));
        painter.drawRect(frame.adjusted(0, 0, -1, -1));
    } else {
        bevel(frame, colours.color(QPalette::Light), colours.color(QPalette::Shadow));
        bevel(frame.adjusted(1, 1, -1, -1), colours.color(QPalette::Midlight), colours.color(QPalette::Dark));
    }
    QRect const text_box = frame.adjusted(2, 2, -2, -2).translated(sunken ? 1 : 0, sunken ? 1 : 0);
    painter.setPen(to_qcolor(m_look.text, colours));
    painter.setFont(font());
    painter.drawText(text_box, Qt::AlignCenter | Qt::TextWordWrap, text());
    if (hasFocus()) {
        QPen dotted(colours.color(QPalette::ButtonText), 1, Qt::DotLine);
        painter.setPen(dotted);
        painter.drawRect(frame.adjusted(3, 3, -4, -4));
    }
}

namespace {

    // Some styles (GTK's among them) make a click in the track jump the thumb to
    // the pointer. A bar of this window always moves by LargeChange towards the
    // click instead, whatever the style.
    class BarStyle final : public QProxyStyle {
    public:
        using QProxyStyle::QProxyStyle;

        int styleHint(StyleHint hint, QStyleOption const* option, QWidget const* widget,
            QStyleHintReturn* returned) const override
        {
            if (hint == SH_ScrollBar_LeftClickAbsolutePosition
                || hint == SH_ScrollBar_MiddleClickAbsolutePosition)
                return 0;
            return QProxyStyle::styleHint(hint, option, widget, returned);
        }
    };

    // One for the whole process, made once the application's style is known and
    // kept until the process ends, so no bar can outlive its style.
    QStyle* bar_style()
    {
        static QStyle* const style = new BarStyle(QStyleFactory::create(QApplication::style()->name()));
        return style;
    }

}

BarWidget::BarWidget(model::HScrollBar& bar, QWidget* parent)
    : QScrollBar(Qt::Horizontal, parent)
{
    setStyle(bar_style());
    setRange(model::HScrollBar::Min, model::HScrollBar::Max);
    setSingleStep(model::HScrollBar::SmallChange);
    setPageStep(model::HScrollBar::LargeChange);
    setValue(bar.Value);
    // A dragged thumb changes the value once, when it is released.
    setTracking(false);
    setFocusPolicy(Qt::StrongFocus);
    // The style's context menu offers "Scroll here", a jump to the pointer.
    setContextMenuPolicy(Qt::NoContextMenu);
}

QRect BarWidget::part(QStyle::SubControl part) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, part, this);
}

// As on any desktop's horizontal scroll bar: Right and Down step up, Left
// and Up step down, the page keys move by LargeChange, Home and End go to
// the ends. Qt's own mapping steps the other way for some of these.
void BarWidget::keyPressEvent(QKeyEvent* event)
{
    struct KeyStep {
        int key;
        SliderAction action;
    };
    static constexpr std::array<KeyStep, 8> steps { {
        { Qt::Key_Right, SliderSingleStepAdd },
        { Qt::Key_Down, SliderSingleStepAdd },
        { Qt::Key_Left, SliderSingleStepSub },
        { Qt::Key_Up, SliderSingleStepSub },
        { Qt::Key_PageDown, SliderPageStepAdd },
        { Qt::Key_PageUp, SliderPageStepSub },
        { Qt::Key_Home, SliderToMinimum },
        { Qt::Key_End, SliderToMaximum },
    } };
    auto const step = std::find_if(
        steps.begin(), steps.end(), [event](KeyStep const& each) { return each.key == event->key(); });
    if (step == steps.end()) {
        event->ignore();
        return;
    }
    triggerAction(step->action);
    event->accept();
}

ShapeWidget::ShapeWidget(model::Shape& shape, QWidget* parent)
    : QWidget(parent)
    , m_shape(shape)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ShapeWidget::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), to_qcolor(m_shape.BackColor, palette()));
}

}
