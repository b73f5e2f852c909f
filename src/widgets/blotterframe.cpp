#include "widgets/blotterframe.h"

#include "platform/appearance.h"

#include <QPainter>

TBlotterFrame::TBlotterFrame(QWidget *parent) : QWidget(parent)
{
    // The drawing covers every pixel of the frame.
    setAttribute(Qt::WA_OpaquePaintEvent);
    updateInset();
}

QColor TBlotterFrame::color() const
{
    return m_color.isValid() ? m_color : systemColor(SystemColor::BtnFace, palette());
}

void TBlotterFrame::setColor(const QColor &color)
{
    if (color == m_color) {
        return;
    }
    m_color = color;
    update();
}

void TBlotterFrame::setBorderWidth(int width)
{
    m_borderWidth = qMax(0, width);
    updateInset();
}

void TBlotterFrame::setBevelOuter(TPanelBevel bevel)
{
    m_bevelOuter = bevel;
    updateInset();
}

void TBlotterFrame::setBevelInner(TPanelBevel bevel)
{
    m_bevelInner = bevel;
    updateInset();
}

void TBlotterFrame::setBevelWidth(int width)
{
    m_bevelWidth = qMax(1, width);
    updateInset();
}

// Children laid out in the frame sit inside the border and each bevel that is switched on.
void TBlotterFrame::updateInset()
{
    int inset = m_borderWidth;
    if (m_bevelOuter != bvNone) {
        inset += m_bevelWidth;
    }
    if (m_bevelInner != bvNone) {
        inset += m_bevelWidth;
    }
    setContentsMargins(inset, inset, inset, inset);
}

namespace {

// A position in the frame, counted from its left or top edge, or back from its right or
// bottom edge (E(1) is the last column or row).
struct Edge
{
    bool fromEnd;
    int offset;
};
constexpr Edge S(int offset)
{
    return {false, offset};
}
constexpr Edge E(int offset)
{
    return {true, offset};
}

enum class Ink { Field, Black, Silver, Yellow, Olive };

// A filled block of pixels, both ends of each range included; a row, a column or a single
// pixel is a block one pixel wide or high.
struct Stroke
{
    Edge x1, x2, y1, y2;
    Ink ink;
};

// The frame, drawn in this order; later strokes cover earlier ones.
constexpr Stroke BlotterStrokes[] = {
    // 1. The field, outlined in black.
    {S(0), E(1), S(0), E(1), Ink::Field},
    {S(0), E(1), S(0), S(0), Ink::Black},
    {S(0), E(1), E(1), E(1), Ink::Black},
    {S(0), S(0), S(0), E(1), Ink::Black},
    {E(1), E(1), S(0), E(1), Ink::Black},

    // 2. The rules: black, silver, black from the left and top; silver, black to the right
    // and bottom.
    {S(0), S(0), S(0), E(1), Ink::Black},
    {S(1), S(1), S(0), E(1), Ink::Silver},
    {S(4), S(4), S(0), E(1), Ink::Black},
    {E(4), E(4), S(0), E(1), Ink::Silver},
    {E(1), E(1), S(0), E(1), Ink::Black},
    {S(0), E(1), S(0), S(0), Ink::Black},
    {S(0), E(1), S(1), S(1), Ink::Silver},
    {S(0), E(1), S(4), S(4), Ink::Black},
    {S(0), E(1), E(4), E(4), Ink::Silver},
    {S(0), E(1), E(1), E(1), Ink::Black},

    // 3.
    {S(1), S(1), S(1), S(14), Ink::Yellow},
    {S(1), S(14), S(1), S(1), Ink::Yellow},
    {S(1), S(1), E(15), E(1), Ink::Yellow},
    // 4.
    {E(14), E(2), E(1), E(1), Ink::Black},
    {E(1), E(1), E(14), E(1), Ink::Black},
    // 5.
    {E(15), E(15), E(1), E(1), Ink::Yellow},
    {E(1), E(1), E(15), E(15), Ink::Yellow},
    {E(15), E(2), S(1), S(1), Ink::Yellow},
    // 6.
    {S(5), S(5), S(5), S(11), Ink::Black},
    {S(5), S(11), S(5), S(5), Ink::Black},
    {S(5), S(5), E(11), E(5), Ink::Black},
    {S(5), S(11), E(5), E(5), Ink::Black},
    // 7.
    {S(6), S(10), E(5), E(5), Ink::Yellow},
    {E(5), E(5), E(11), E(5), Ink::Yellow},
    {E(11), E(5), E(5), E(5), Ink::Yellow},
    // 8.
    {E(11), E(6), S(5), S(5), Ink::Black},
    // 9.
    {E(5), E(5), S(5), S(12), Ink::Yellow},
    // 10.
    {S(1), S(1), S(15), S(15), Ink::Black},
    {S(2), S(2), S(14), S(14), Ink::Black},
    {S(3), S(3), S(13), S(13), Ink::Black},
    {S(2), S(2), E(13), E(13), Ink::Black},
    {S(15), S(15), S(1), S(1), Ink::Black},
    {S(14), S(14), S(2), S(2), Ink::Black},
    {S(13), S(13), S(3), S(3), Ink::Black},
    // 11.
    {S(2), S(2), E(14), E(14), Ink::Yellow},
    {S(3), S(3), E(13), E(13), Ink::Yellow},
    {S(4), S(4), E(12), E(12), Ink::Yellow},
    // 12.
    {S(11), S(11), E(5), E(5), Ink::Black},
    {S(12), S(12), E(4), E(4), Ink::Black},
    {S(13), S(13), E(3), E(3), Ink::Black},
    {S(14), S(14), E(2), E(2), Ink::Black},
    // 13.
    {E(15), E(15), E(1), E(1), Ink::Yellow},
    {E(14), E(14), E(2), E(2), Ink::Yellow},
    {E(13), E(13), E(3), E(3), Ink::Yellow},
    {E(12), E(12), E(4), E(4), Ink::Yellow},
    {E(11), E(11), E(5), E(5), Ink::Yellow},
    {E(1), E(1), E(15), E(15), Ink::Yellow},
    {E(2), E(2), E(14), E(14), Ink::Yellow},
    {E(3), E(3), E(13), E(13), Ink::Yellow},
    {E(4), E(4), E(12), E(12), Ink::Yellow},
    {E(5), E(5), E(11), E(11), Ink::Yellow},
    // 14.
    {E(1), E(1), S(16), S(16), Ink::Black},
    {E(2), E(2), S(15), S(15), Ink::Black},
    {E(3), E(3), S(14), S(14), Ink::Black},
    {E(4), E(4), S(13), S(13), Ink::Black},
    {E(14), E(14), S(2), S(2), Ink::Black},
    {E(13), E(13), S(3), S(3), Ink::Black},

    // 15. The olive corner pieces: top left, bottom left, bottom right, top right.
    {S(2), S(4), S(2), S(11), Ink::Olive},
    {S(2), S(11), S(2), S(4), Ink::Olive},
    {S(12), S(12), S(2), S(2), Ink::Olive},
    {S(13), S(13), S(2), S(2), Ink::Olive},
    {S(12), S(12), S(3), S(3), Ink::Olive},
    {S(2), S(2), S(12), S(12), Ink::Olive},
    {S(2), S(2), S(13), S(13), Ink::Olive},
    {S(3), S(3), S(12), S(12), Ink::Olive},

    {S(2), S(11), E(4), E(2), Ink::Olive},
    {S(2), S(4), E(11), E(3), Ink::Olive},
    {S(2), S(2), E(13), E(13), Ink::Olive},
    {S(2), S(2), E(12), E(12), Ink::Olive},
    {S(3), S(3), E(12), E(12), Ink::Olive},
    {S(12), S(12), E(3), E(3), Ink::Olive},
    {S(12), S(12), E(2), E(2), Ink::Olive},
    {S(13), S(13), E(2), E(2), Ink::Olive},

    {E(11), E(2), E(4), E(2), Ink::Olive},
    {E(4), E(2), E(11), E(2), Ink::Olive},
    {E(3), E(3), E(12), E(12), Ink::Olive},
    {E(2), E(2), E(12), E(12), Ink::Olive},
    {E(2), E(2), E(13), E(13), Ink::Olive},
    {E(12), E(12), E(3), E(3), Ink::Olive},
    {E(12), E(12), E(2), E(2), Ink::Olive},
    {E(13), E(13), E(2), E(2), Ink::Olive},

    {E(11), E(2), S(2), S(4), Ink::Olive},
    {E(4), E(2), S(2), S(12), Ink::Olive},
    {E(12), E(12), S(2), S(2), Ink::Olive},
    {E(12), E(12), S(3), S(3), Ink::Olive},
    {E(13), E(13), S(2), S(2), Ink::Olive},
    {E(2), E(2), S(13), S(13), Ink::Olive},
    {E(3), E(3), S(13), S(13), Ink::Olive},
    {E(2), E(2), S(14), S(14), Ink::Olive},

    // 16. The black outer edges of the corners.
    {S(0), S(0), S(0), S(9), Ink::Black},
    {S(0), S(12), E(1), E(1), Ink::Black},
    {S(0), S(0), E(13), E(1), Ink::Black},
    {E(13), E(1), S(0), S(0), Ink::Black},
    {E(1), E(1), S(0), S(12), Ink::Black},
    {E(13), E(1), E(1), E(1), Ink::Black},
    {E(1), E(1), E(13), E(1), Ink::Black},
};

int at(Edge edge, int size)
{
    return edge.fromEnd ? size - edge.offset : edge.offset;
}

QColor colorOf(Ink ink, const QColor &field)
{
    switch (ink) {
    case Ink::Field:
        return field;
    case Ink::Black:
        return Colors::clBlack;
    case Ink::Silver:
        return Colors::clSilver;
    case Ink::Yellow:
        return Colors::clYellow;
    case Ink::Olive:
        return Colors::clOlive;
    }
    return field;
}

} // namespace

void TBlotterFrame::paintBlotter(QPainter &painter, int width, int height, const QColor &field)
{
    if (width <= 0 || height <= 0) {
        return;
    }
    painter.save();
    painter.setClipRect(QRect(0, 0, width, height), Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const Stroke &s : BlotterStrokes) {
        const int x1 = at(s.x1, width), x2 = at(s.x2, width);
        const int y1 = at(s.y1, height), y2 = at(s.y2, height);
        if (x2 >= x1 && y2 >= y1) {
            painter.fillRect(QRect(x1, y1, x2 - x1 + 1, y2 - y1 + 1), colorOf(s.ink, field));
        }
    }
    painter.restore();
}

void TBlotterFrame::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    paintBlotter(painter, width(), height(), color());
}
