#include "controls/memo.h"

#include "platform/appearance.h"
#include "platform/graphemes.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextLayout>

namespace {

// A line cut to at most TMemo::MaxLineLength UTF-16 units, between two characters as the
// reader sees them (never inside a surrogate pair or between a letter and its accent).
QString limitedLine(const QString &text)
{
    if (text.size() <= TMemo::MaxLineLength)
        return text;
    int cut = 0;
    for (const int end : graphemeEnds(text)) {
        if (end > TMemo::MaxLineLength)
            break;
        cut = end;
    }
    return text.left(cut);
}

} // namespace

TMemo::TMemo(QWidget *parent) : QPlainTextEdit(parent)
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

int TMemo::wrapWidth() const
{
    // Computed from the control's own bounds, so that it holds before the memo is first
    // shown (a hidden widget has not laid out its viewport yet).
    int width = this->width() - 2 * frameWidth();
    if (verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn)
        width -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    width -= 2 * qRound(document()->documentMargin());
    return qMax(1, width);
}

QStringList TMemo::displayLines() const
{
    QStringList lines;
    const bool wrap = lineWrapMode() != QPlainTextEdit::NoWrap;
    QTextOption option;
    option.setWrapMode(wrap ? wordWrapMode() : QTextOption::NoWrap);
    const qreal width = wrapWidth();
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (text.isEmpty() || !wrap) {
            lines << limitedLine(text);
            continue;
        }
        QTextLayout layout(text, font());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << limitedLine(text.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
    }
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

void TMemo::setLines(const QStringList &lines)
{
    setPlainText(lines.join(QLatin1Char('\n')));
}

QColor TMemo::color() const
{
    return palette().color(QPalette::Base);
}

void TMemo::setColor(const QColor &color)
{
    m_color = color;
    applyColors();
}

QColor TMemo::fontColor() const
{
    return m_fontColor.isValid() ? m_fontColor : systemColor(SystemColor::WindowText);
}

void TMemo::setFontColor(const QColor &color)
{
    m_fontColor = color;
    applyColors();
}

void TMemo::setFocusFontColor(const QColor &color)
{
    m_focusFontColor = color;
    applyColors();
}

QColor TMemo::currentTextColor() const
{
    return palette().color(QPalette::Active, QPalette::Text);
}

bool TMemo::wordWrap() const
{
    return lineWrapMode() != QPlainTextEdit::NoWrap;
}

void TMemo::setWordWrap(bool on)
{
    setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
}

void TMemo::applyColors()
{
    QPalette pal = palette();
    if (m_color.isValid()) {
        pal.setColor(QPalette::Active, QPalette::Base, m_color);
        pal.setColor(QPalette::Inactive, QPalette::Base, m_color);
    }
    const QColor text = hasFocus() && m_focusFontColor.isValid() ? m_focusFontColor : m_fontColor;
    if (text.isValid()) {
        pal.setColor(QPalette::Active, QPalette::Text, text);
        pal.setColor(QPalette::Inactive, QPalette::Text, text);
    } else {
        pal.setColor(QPalette::Active, QPalette::Text, systemColor(SystemColor::WindowText));
        pal.setColor(QPalette::Inactive, QPalette::Text, systemColor(SystemColor::WindowText));
    }
    setPalette(pal);
}

void TMemo::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    if (m_focusFontColor.isValid())
        applyColors();
}

void TMemo::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (m_focusFontColor.isValid())
        applyColors();
}

void TMemo::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QPlainTextEdit::mousePressEvent(event);
}

void TMemo::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->pos());
    m_pressed = false;
    QPlainTextEdit::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}
