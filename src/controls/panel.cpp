#include "controls/panel.h"

#include "platform/appearance.h"

#include <QPainter>

namespace {

// Draws width rings inwards from rect, the top and left sides in topLeft and the bottom
// and right sides in bottomRight, and returns the rectangle inside them.
QRect frame3D(QPainter &painter, QRect rect, const QColor &topLeft, const QColor &bottomRight,
              int width)
{
    for (int i = 0; i < width && rect.width() > 0 && rect.height() > 0; ++i) {
        painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), topLeft);
        painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), topLeft);
        painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
        painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
        // The corners where the two colours meet belong to the bottom and right sides.
        painter.fillRect(QRect(rect.right(), rect.top(), 1, 1), bottomRight);
        painter.fillRect(QRect(rect.left(), rect.bottom(), 1, 1), bottomRight);
        rect.adjust(1, 1, -1, -1);
    }
    return rect;
}

QRect bevel(QPainter &painter, const QRect &rect, PanelLook::Bevel bevel, int width,
            const QPalette &palette)
{
    const QColor shadow = systemColor(SystemColor::BtnShadow, palette);
    const QColor light = systemColor(SystemColor::BtnHighlight, palette);
    switch (bevel) {
    case PanelLook::Lowered:
        return frame3D(painter, rect, shadow, light, width);
    case PanelLook::Raised:
        return frame3D(painter, rect, light, shadow, width);
    case PanelLook::None:
        break;
    }
    return rect;
}

} // namespace

int PanelLook::frameWidth() const
{
    return (outer != None ? bevelWidth : 0) + borderWidth + (inner != None ? bevelWidth : 0);
}

void PanelLook::paint(QPainter &painter, const QRect &bounds, const QColor &fill,
                      const QPalette &palette) const
{
    QRect rect = bounds;
    if (singleBorder) {
        rect = frame3D(painter, rect, systemColor(SystemColor::BtnShadow, palette),
                       systemColor(SystemColor::BtnHighlight, palette), 1);
        rect = frame3D(painter, rect, systemColor(SystemColor::WindowFrame, palette),
                       systemColor(SystemColor::Light3D, palette), 1);
    }
    rect = bevel(painter, rect, outer, bevelWidth, palette);
    rect = frame3D(painter, rect, fill, fill, borderWidth);
    rect = bevel(painter, rect, inner, bevelWidth, palette);
    if (rect.width() > 0 && rect.height() > 0)
        painter.fillRect(rect, fill);
}

TPanel::TPanel(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::NoFrame);
}

void TPanel::setLook(const PanelLook &look)
{
    m_look = look;
    update();
}

QColor TPanel::color() const
{
    return m_color.isValid() ? m_color : systemColor(SystemColor::BtnFace, palette());
}

void TPanel::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void TPanel::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    m_look.paint(painter, rect(), color(), palette());
}

TPanelLabel::TPanelLabel(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
}

void TPanelLabel::setLook(const PanelLook &look)
{
    m_look = look;
    const int edge = look.clientEdge() + look.frameWidth();
    setContentsMargins(edge, edge, edge, edge);
    update();
}

QColor TPanelLabel::color() const
{
    return m_color.isValid() ? m_color : systemColor(SystemColor::BtnFace, palette());
}

void TPanelLabel::setColor(const QColor &color)
{
    m_color = color;
    update();
}

QColor TPanelLabel::fontColor() const
{
    return palette().color(QPalette::WindowText);
}

void TPanelLabel::setFontColor(const QColor &color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
}

void TPanelLabel::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        m_look.paint(painter, rect(), color(), palette());
    }
    QLabel::paintEvent(event);
}
