#include "widgets/raisedlabel.h"

#include "platform/appearance.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

TRaisedLabel::TRaisedLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    m_style = tsRecessed;
}

TRaisedLabel::TRaisedLabel(const QString &caption, QWidget *parent) : TRaisedLabel(parent)
{
    setText(caption);
}

void TRaisedLabel::setTextStyle(TTextStyle style)
{
    if (style == m_style) {
        return;
    }
    m_style = style;
    update();
}

QColor TRaisedLabel::fontColor() const
{
    return m_fontColor.isValid() ? m_fontColor : systemColor(SystemColor::WindowText, palette());
}

void TRaisedLabel::setFontColor(const QColor &color)
{
    if (color == m_fontColor) {
        return;
    }
    m_fontColor = color;
    update();
}

void TRaisedLabel::setTransparent(bool transparent)
{
    if (transparent == m_transparent) {
        return;
    }
    m_transparent = transparent;
    update();
}

QColor TRaisedLabel::color() const
{
    return m_color.isValid() ? m_color : palette().color(QPalette::Active, backgroundRole());
}

void TRaisedLabel::setColor(const QColor &color)
{
    if (color == m_color) {
        return;
    }
    m_color = color;
    update();
}

void TRaisedLabel::setShowAccelChar(bool on)
{
    if (on == m_showAccelChar) {
        return;
    }
    m_showAccelChar = on;
    adjustBounds();
    update();
}

void TRaisedLabel::setAutoSize(bool on)
{
    if (on == m_autoSize) {
        return;
    }
    m_autoSize = on;
    adjustBounds();
}

void TRaisedLabel::setText(const QString &caption)
{
    QLabel::setText(caption);
    adjustBounds();
    update();
}

void TRaisedLabel::setWordWrap(bool on)
{
    QLabel::setWordWrap(on);
    adjustBounds();
    update();
}

QString TRaisedLabel::drawnCaption() const
{
    QString caption = text();
    if (caption.size() > maxCaptionLength) {
        caption.truncate(maxCaptionLength);
        // Never leave half of a surrogate pair at the cut.
        if (caption.at(caption.size() - 1).isHighSurrogate()) {
            caption.chop(1);
        }
    }
    return caption;
}

int TRaisedLabel::textFlags(bool measuring) const
{
    int flags = Qt::TextExpandTabs | Qt::AlignTop;
    // Painting always breaks at word boundaries; word-wrap only decides how auto-size measures.
    if (!measuring || wordWrap()) {
        flags |= Qt::TextWordWrap;
    }
    if (m_showAccelChar) {
        flags |= Qt::TextShowMnemonic;
    }
    const Qt::Alignment horizontal = alignment() & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignRight) {
        flags |= Qt::AlignRight;
    } else if (horizontal & Qt::AlignHCenter) {
        flags |= Qt::AlignHCenter;
    } else {
        flags |= Qt::AlignLeft;
    }
    return flags;
}

void TRaisedLabel::adjustBounds()
{
    if (!m_autoSize) {
        return;
    }
    QString caption = text();
    // An empty caption still measures one line high.
    if (caption.isEmpty() || (m_showAccelChar && caption == QLatin1String("&"))) {
        caption += QLatin1Char(' ');
    }
    const int measureWidth = wordWrap() ? qMax(width(), 1) : QWIDGETSIZE_MAX / 2;
    const QRect measured =
        QFontMetrics(font()).boundingRect(QRect(0, 0, measureWidth, QWIDGETSIZE_MAX / 2),
                                          textFlags(true) & ~Qt::AlignHorizontal_Mask, caption);
    int left = x();
    if (alignment() & Qt::AlignRight) {
        left += width() - measured.width();
    }
    setGeometry(left, y(), measured.width(), measured.height());
}

void TRaisedLabel::paintLabel(QPainter &painter) const
{
    painter.save();
    const QRect client = rect();
    painter.setClipRect(client, Qt::IntersectClip);
    if (!m_transparent) {
        painter.fillRect(client, color());
    }
    painter.setBrush(Qt::NoBrush);
    painter.setFont(font());

    const QString caption = drawnCaption();
    const int flags = textFlags(false);
    const QPalette &pal = palette();
    if (m_style != tsNone) {
        const QColor shadow = systemColor(SystemColor::BtnShadow, pal);
        const QColor highlight = systemColor(SystemColor::BtnHighlight, pal);
        painter.setPen(m_style == tsRaised ? shadow : highlight);
        painter.drawText(client.translated(1, 1), flags, caption);
        painter.setPen(m_style == tsRaised ? highlight : shadow);
        painter.drawText(client.translated(-1, -1), flags, caption);
    }
    painter.setPen(isEnabled() ? fontColor() : systemColor(SystemColor::GrayText, pal));
    painter.drawText(client, flags, caption);
    painter.restore();
}

void TRaisedLabel::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    paintLabel(painter);
}

void TRaisedLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
        adjustBounds();
        update();
        break;
    case QEvent::PaletteChange:
    case QEvent::EnabledChange:
        update();
        break;
    default:
        break;
    }
}
