#include "blotterframe.h"

#include "appearance.h"

#include <QPainter>

#include <initializer_list>

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

// Pixel-exact drawing in frame coordinates; every range includes both of its ends.
class BlotterPen
{
public:
    explicit BlotterPen(QPainter &painter) : m_painter(painter) {}

    void block(int x1, int x2, int y1, int y2, const QColor &color)
    {
        if (x2 >= x1 && y2 >= y1) {
            m_painter.fillRect(QRect(x1, y1, x2 - x1 + 1, y2 - y1 + 1), color);
        }
    }
    void column(int x, int y1, int y2, const QColor &color) { block(x, x, y1, y2, color); }
    void row(int y, int x1, int x2, const QColor &color) { block(x1, x2, y, y, color); }
    void pixel(int x, int y, const QColor &color) { block(x, x, y, y, color); }
    void pixels(std::initializer_list<QPoint> points, const QColor &color)
    {
        for (const QPoint &p : points) {
            pixel(p.x(), p.y(), color);
        }
    }

private:
    QPainter &m_painter;
};

} // namespace

void TBlotterFrame::paintBlotter(QPainter &painter, int width, int height, const QColor &field)
{
    if (width <= 0 || height <= 0) {
        return;
    }
    const int W = width;
    const int H = height;
    const QColor black = Colors::clBlack;
    const QColor silver = Colors::clSilver;
    const QColor yellow = Colors::clYellow;
    const QColor olive = Colors::clOlive;

    painter.save();
    painter.setClipRect(QRect(0, 0, W, H), Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, false);
    BlotterPen pen(painter);

    // 1. The field, outlined in black.
    pen.block(0, W - 1, 0, H - 1, field);
    pen.row(0, 0, W - 1, black);
    pen.row(H - 1, 0, W - 1, black);
    pen.column(0, 0, H - 1, black);
    pen.column(W - 1, 0, H - 1, black);

    // 2. The rules: black, silver, black from the left and top; silver, black to the right
    // and bottom.
    pen.column(0, 0, H - 1, black);
    pen.column(1, 0, H - 1, silver);
    pen.column(4, 0, H - 1, black);
    pen.column(W - 4, 0, H - 1, silver);
    pen.column(W - 1, 0, H - 1, black);
    pen.row(0, 0, W - 1, black);
    pen.row(1, 0, W - 1, silver);
    pen.row(4, 0, W - 1, black);
    pen.row(H - 4, 0, W - 1, silver);
    pen.row(H - 1, 0, W - 1, black);

    // 3.
    pen.column(1, 1, 14, yellow);
    pen.row(1, 1, 14, yellow);
    pen.column(1, H - 15, H - 1, yellow);
    // 4.
    pen.row(H - 1, W - 14, W - 2, black);
    pen.column(W - 1, H - 14, H - 1, black);
    // 5.
    pen.pixels({{W - 15, H - 1}, {W - 1, H - 15}}, yellow);
    pen.row(1, W - 15, W - 2, yellow);
    // 6.
    pen.column(5, 5, 11, black);
    pen.row(5, 5, 11, black);
    pen.column(5, H - 11, H - 5, black);
    pen.row(H - 5, 5, 11, black);
    // 7.
    pen.row(H - 5, 6, 10, yellow);
    pen.column(W - 5, H - 11, H - 5, yellow);
    pen.row(H - 5, W - 11, W - 5, yellow);
    // 8.
    pen.row(5, W - 11, W - 6, black);
    // 9.
    pen.column(W - 5, 5, 12, yellow);
    // 10.
    pen.pixels({{1, 15}, {2, 14}, {3, 13}, {2, H - 13}, {15, 1}, {14, 2}, {13, 3}}, black);
    // 11.
    pen.pixels({{2, H - 14}, {3, H - 13}, {4, H - 12}}, yellow);
    // 12.
    pen.pixels({{11, H - 5}, {12, H - 4}, {13, H - 3}, {14, H - 2}}, black);
    // 13.
    pen.pixels({{W - 15, H - 1},
                {W - 14, H - 2},
                {W - 13, H - 3},
                {W - 12, H - 4},
                {W - 11, H - 5},
                {W - 1, H - 15},
                {W - 2, H - 14},
                {W - 3, H - 13},
                {W - 4, H - 12},
                {W - 5, H - 11}},
               yellow);
    // 14.
    pen.pixels({{W - 1, 16}, {W - 2, 15}, {W - 3, 14}, {W - 4, 13}, {W - 14, 2}, {W - 13, 3}},
               black);

    // 15. The olive corner pieces: top left, bottom left, bottom right, top right.
    pen.block(2, 4, 2, 11, olive);
    pen.block(2, 11, 2, 4, olive);
    pen.pixels({{12, 2}, {13, 2}, {12, 3}, {2, 12}, {2, 13}, {3, 12}}, olive);

    pen.block(2, 11, H - 4, H - 2, olive);
    pen.block(2, 4, H - 11, H - 3, olive);
    pen.pixels({{2, H - 13}, {2, H - 12}, {3, H - 12}, {12, H - 3}, {12, H - 2}, {13, H - 2}},
               olive);

    pen.block(W - 11, W - 2, H - 4, H - 2, olive);
    pen.block(W - 4, W - 2, H - 11, H - 2, olive);
    pen.pixels({{W - 3, H - 12},
                {W - 2, H - 12},
                {W - 2, H - 13},
                {W - 12, H - 3},
                {W - 12, H - 2},
                {W - 13, H - 2}},
               olive);

    pen.block(W - 11, W - 2, 2, 4, olive);
    pen.block(W - 4, W - 2, 2, 12, olive);
    pen.pixels({{W - 12, 2}, {W - 12, 3}, {W - 13, 2}, {W - 2, 13}, {W - 3, 13}, {W - 2, 14}},
               olive);

    // 16. The black outer edges of the corners.
    pen.column(0, 0, 9, black);
    pen.row(H - 1, 0, 12, black);
    pen.column(0, H - 13, H - 1, black);
    pen.row(0, W - 13, W - 1, black);
    pen.column(W - 1, 0, 12, black);
    pen.row(H - 1, W - 13, W - 1, black);
    pen.column(W - 1, H - 13, H - 1, black);

    painter.restore();
}

void TBlotterFrame::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    paintBlotter(painter, width(), height(), color());
}
