#include "ui/widgets.h"

#include "look/bar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
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

QColor to_qcolor(model::Colour colour)
{
    auto const drawn = look::shade_of(colour);
    return { model::channel_of(drawn, 0), model::channel_of(drawn, 1), model::channel_of(drawn, 2) };
}

QFont to_qfont(look::Font const& font)
{
    QFont qfont;
    QStringList families;
    for (auto const family : look::families_of(font.typeface))
        families.append(to_qstring(family));
    qfont.setFamilies(families);
    if (font.points > 0)
        qfont.setPixelSize(static_cast<int>(std::lround(look::font_pixels(font.points))));
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    return qfont;
}

namespace {

    QString trimmed_end(QString text)
    {
        while (!text.isEmpty() && text.back().isSpace())
            text.chop(1);
        return text;
    }

    // Below this many device pixels Qt draws glyphs from its glyph cache,
    // above it as outlines.
    constexpr qreal cached_glyph_limit = 64;

    // Cached glyphs drawn through a scaled painter are made at the logical
    // size and then scaled, and so is the synthetic bold of a font without a
    // bold face (the IPA fonts have none): it thickens the strokes by a share
    // of the logical size, so at scale 2 the bold captions came out barely
    // heavier than regular ones. Drawn at the device's own size, the glyphs
    // and their bold are made for the pixels they land on. Glyphs too large
    // for the cache are drawn as outlines, which keep their bold only when
    // drawn at the logical size, so those stay as they are; so does all text
    // at scale 1.
    class DeviceText {
    public:
        DeviceText(QPainter& painter, QFont const& font)
            : m_painter(painter)
            , m_scale(painter.deviceTransform().m22())
        {
            m_painter.save();
            qreal const logical = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
            if (qFuzzyCompare(m_scale, 1.0) || logical * m_scale >= cached_glyph_limit) {
                m_scale = 1;
                m_painter.setFont(font);
                return;
            }
            QFont device = font;
            device.setPointSizeF(logical * m_scale * 72.0 / m_painter.device()->logicalDpiY());
            m_painter.scale(1 / m_scale, 1 / m_scale);
            m_painter.setFont(device);
        }
        ~DeviceText() { m_painter.restore(); }
        DeviceText(DeviceText const&) = delete;
        DeviceText& operator=(DeviceText const&) = delete;

        QPointF operator()(QPointF logical) const { return logical * m_scale; }
        QRectF operator()(QRectF const& logical) const
        {
            return { logical.topLeft() * m_scale, logical.size() * m_scale };
        }

    private:
        QPainter& m_painter;
        qreal m_scale;
    };

    QChar const down_arrow(0x2193);

}

void draw_text(QPainter& painter, QFont const& font, QPointF baseline, QString const& text)
{
    DeviceText const device(painter, font);
    painter.drawText(device(baseline), text);
}

void draw_text(QPainter& painter, QFont const& font, QRectF const& box, int flags, QString const& text)
{
    DeviceText const device(painter, font);
    painter.drawText(device(box), flags, text);
}

void CaptionLayout::set(QString const& text, QFont const& font, look::Align align, QRectF const& box,
    std::optional<ArrowTargets> arrows)
{
    m_text = text;
    m_align = align;
    m_box = box;
    m_arrows = arrows;
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

bool CaptionLayout::lay_out(QFont const& font)
{
    m_runs.clear();
    auto const arrows_from = m_arrows ? m_text.indexOf(down_arrow) : -1;
    QString const text = arrows_from < 0 ? m_text : m_text.left(arrows_from);
    QTextLayout layout(text, font);
    QTextOption option(m_align == look::Align::Left ? Qt::AlignLeft : Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    auto const em = static_cast<qreal>(font.pixelSize());
    QFontMetricsF const metrics(font);
    qreal top = 0;
    qreal ink_bottom = 0;
    bool fits_across = true;
    m_line_count = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(m_box.width());
        line.setPosition(QPointF(m_box.left(), m_box.top() + top));
        // What must fit is the ink: a glyph's advance may overhang the box
        // (a 35-pixel ◎ in a 33-pixel cell) while its drawing stays inside.
        // Spaces left hanging at a break are not drawn and take no room.
        QString const shown = trimmed_end(text.mid(line.textStart(), line.textLength()));
        auto const ink = metrics.tightBoundingRect(shown);
        ink_bottom = top + line.ascent() + std::max<qreal>(ink.bottom(), 0);
        qreal const left = line.naturalTextRect().left();
        fits_across = fits_across
            && (ink.isEmpty()
                || (left + ink.left() >= m_box.left() - 0.5 && left + ink.right() <= m_box.right() + 0.5));
        m_runs.push_back({ shown, QPointF(left, m_box.top() + top + line.ascent()) });
        ++m_line_count;
        top += em;
    }
    layout.endLayout();
    m_used_height = ink_bottom;
    if (arrows_from >= 0 && !lay_out_arrows(m_text.mid(arrows_from), font, top))
        return false;
    return fits_across && m_used_height <= m_box.height() + 0.5;
}

// The line of arrows: the first arrow's ink centred on the first target, the
// last one's on the last target, any others spread evenly between them.
bool CaptionLayout::lay_out_arrows(QString const& arrows, QFont const& font, qreal top)
{
    QFontMetricsF const metrics(font);
    auto const ink = metrics.tightBoundingRect(down_arrow);
    auto const count = arrows.count(down_arrow);
    qreal const baseline = m_box.top() + top + metrics.ascent();
    for (qsizetype i = 0; i < count; ++i) {
        qreal const centre = count == 1 ? m_arrows->first
                                        : m_arrows->first
                + (m_arrows->last - m_arrows->first) * static_cast<qreal>(i) / static_cast<qreal>(count - 1);
        m_runs.push_back({ QString(down_arrow), QPointF(centre - ink.center().x(), baseline) });
    }
    ++m_line_count;
    m_used_height = top + metrics.ascent() + ink.bottom();
    qreal const half = ink.width() / 2;
    return m_arrows->first - half >= m_box.left() - 0.5 && m_arrows->last + half <= m_box.right() + 0.5;
}

void CaptionLayout::draw(QPainter& painter) const
{
    for (auto const& run : m_runs)
        draw_text(painter, m_font, run.origin, run.text);
}

LabelWidget::LabelWidget(model::Label& label, look::Look const& look, QWidget* parent)
    : QLabel(QString::fromStdString(label.Caption.get()), parent)
    , m_look(look)
{
    setFont(to_qfont(look.font));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, look.face == look::Face::Opaque);
    if (!label.ToolTipText.empty())
        setToolTip(QString::fromStdString(label.ToolTipText));
}

void LabelWidget::set_caption(QString const& caption)
{
    setText(caption);
    lay_out_anew();
    update();
}

void LabelWidget::point_arrows_at(CaptionLayout::ArrowTargets targets)
{
    m_arrows = targets;
    lay_out_anew();
    update();
}

void LabelWidget::lay_out_anew() { m_laid_out = false; }

CaptionLayout const& LabelWidget::caption_layout() const
{
    if (!m_laid_out) {
        qreal const inset = m_look.border ? 1 : 0;
        m_caption.set(
            text(), font(), m_look.align, QRectF(rect()).adjusted(inset, inset, -inset, -inset), m_arrows);
        m_laid_out = true;
    }
    return m_caption;
}

void LabelWidget::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    lay_out_anew();
}

void LabelWidget::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    if (m_look.face == look::Face::Opaque)
        painter.fillRect(rect(), to_qcolor(m_look.back));
    if (m_look.border) {
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
    painter.setPen(to_qcolor(m_look.text));
    caption_layout().draw(painter);
}

ButtonWidget::ButtonWidget(model::CommandButton& button, look::Look const& look, QWidget* parent)
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
    show_focus_from_now_on(*this);
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
void ButtonWidget::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    if (m_look.face != look::Face::Graphical) {
        paint_standard(painter);
        return;
    }
    QRect const outer = rect();
    painter.fillRect(outer, to_qcolor(m_look.back));
    bool const sunken = isDown();
    auto const bevel = [&painter](QRect r, QColor top_left, QColor bottom_right) {
        painter.setPen(top_left);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottom_right);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    };
    QRect frame = outer;
    if (hasFocus()) {
        painter.setPen(Qt::black);
        painter.drawRect(frame.adjusted(0, 0, -1, -1));
        frame.adjust(1, 1, -1, -1);
    }
    auto const& edge = look::raised;
    if (sunken) {
        painter.setPen(to_qcolor(edge.pressed));
        painter.drawRect(frame.adjusted(0, 0, -1, -1));
    } else {
        bevel(frame, to_qcolor(edge.outer_light), to_qcolor(edge.outer_dark));
        bevel(frame.adjusted(1, 1, -1, -1), to_qcolor(edge.inner_light), to_qcolor(edge.inner_dark));
    }
    QRect const text_box = frame.adjusted(2, 2, -2, -2).translated(sunken ? 1 : 0, sunken ? 1 : 0);
    painter.setPen(to_qcolor(m_look.text));
    draw_text(painter, font(), text_box, Qt::AlignCenter | Qt::TextWordWrap, text());
    if (hasFocus()) {
        QPen dotted(to_qcolor(m_look.text), 1, Qt::DotLine);
        painter.setPen(dotted);
        painter.drawRect(frame.adjusted(3, 3, -4, -4));
    }
}

// The style draws the face, the bevel and the focus frame; the caption is
// drawn as on every other control, at the device's own size.
void ButtonWidget::paint_standard(QPainter& painter)
{
    QStyleOptionButton option;
    initStyleOption(&option);
    QString const caption = option.text;
    option.text.clear();
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
    QRect const contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    int const shift = isDown() ? style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this) : 0;
    painter.setPen(to_qcolor(m_look.text));
    draw_text(painter, font(), QRectF(contents.translated(shift, shift)),
        Qt::AlignCenter | Qt::TextShowMnemonic, caption);
}

void show_focus_from_now_on(QWidget& widget)
{
    QWidget* const window = widget.window();
    if (window->testAttribute(Qt::WA_KeyboardFocusChange))
        return;
    window->setAttribute(Qt::WA_KeyboardFocusChange);
    widget.update();
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

// The bar keys of the window's table; Qt's own mapping steps the other way
// for some of them.
void BarWidget::keyPressEvent(QKeyEvent* event)
{
    show_focus_from_now_on(*this);
    auto const name = QKeySequence(event->key()).toString(QKeySequence::PortableText).toStdString();
    look::BarMove move {};
    if (!look::move_of_key(name, move)) {
        event->ignore();
        return;
    }
    setValue(look::value_after(move, value()));
    event->accept();
}

// The style draws no sign of the focus on a scroll bar; this one is framed
// in the highlight colour while it has the focus, once the user has taken to
// the keyboard: a bar that a click on R, G or B gave the focus to shows no
// frame to someone who uses only the mouse.
void BarWidget::paintEvent(QPaintEvent* event)
{
    QScrollBar::paintEvent(event);
    if (!hasFocus() || !window()->testAttribute(Qt::WA_KeyboardFocusChange))
        return;
    QPainter painter(this);
    painter.setPen(QPen(to_qcolor(look::focus_colour), 2));
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
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
    painter.fillRect(rect(), to_qcolor(m_shape.BackColor));
}

}
