#include "app/infowidgets.h"

#include "platform/accessibility.h"
#include "platform/appearance.h"
#include "platform/application.h"

#include <QAbstractButton>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

// -- BevelPanel ---------------------------------------------------------------------------

BevelPanel::BevelPanel(QWidget *parent) : QWidget(parent) {}

QColor BevelPanel::color() const
{
    return m_color.isValid() ? m_color : palette().color(QPalette::Window);
}

void BevelPanel::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void BevelPanel::setBevels(Bevel outer, Bevel inner, int bevelWidth, int borderWidth)
{
    m_outer = outer;
    m_inner = inner;
    m_bevelWidth = bevelWidth;
    m_borderWidth = borderWidth;
    update();
}

void BevelPanel::setSingleBorder(bool on, bool flat)
{
    m_single = on;
    m_flat = flat;
    update();
}

void BevelPanel::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    update();
    Accessibility::notifyNameChanged(this);
}

int BevelPanel::frameWidth() const
{
    int width = m_single ? (m_flat ? 1 : 2) : 0;
    if (m_outer != None)
        width += m_bevelWidth;
    width += m_borderWidth;
    if (m_inner != None)
        width += m_bevelWidth;
    return width;
}

namespace {

// Draws a bevel of the given width inside rect and returns the rect inside it.
QRect drawBevel(QPainter &painter, QRect rect, BevelPanel::Bevel bevel, int width)
{
    if (bevel == BevelPanel::None)
        return rect;
    const QColor light = systemColor(SystemColor::BtnHighlight);
    const QColor dark = systemColor(SystemColor::BtnShadow);
    const QColor &topLeft = bevel == BevelPanel::Raised ? light : dark;
    const QColor &bottomRight = bevel == BevelPanel::Raised ? dark : light;
    for (int i = 0; i < width; ++i) {
        painter.fillRect(rect.left(), rect.top(), rect.width(), 1, topLeft);
        painter.fillRect(rect.left(), rect.top(), 1, rect.height(), topLeft);
        painter.fillRect(rect.left(), rect.bottom(), rect.width(), 1, bottomRight);
        painter.fillRect(rect.right(), rect.top(), 1, rect.height(), bottomRight);
        rect.adjust(1, 1, -1, -1);
    }
    return rect;
}

} // namespace

void BevelPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QRect rect = this->rect();
    painter.fillRect(rect, color());
    if (m_single) {
        if (m_flat) {
            painter.setPen(Colors::clBlack);
            painter.drawRect(rect.adjusted(0, 0, -1, -1));
            rect.adjust(1, 1, -1, -1);
        } else {
            rect = drawBevel(painter, rect, Lowered, 1);
            const QColor outer = systemColor(SystemColor::WindowFrame);
            const QColor inner = systemColor(SystemColor::Light3D);
            painter.fillRect(rect.left(), rect.top(), rect.width(), 1, outer);
            painter.fillRect(rect.left(), rect.top(), 1, rect.height(), outer);
            painter.fillRect(rect.left(), rect.bottom(), rect.width(), 1, inner);
            painter.fillRect(rect.right(), rect.top(), 1, rect.height(), inner);
            rect.adjust(1, 1, -1, -1);
        }
    }
    rect = drawBevel(painter, rect, m_outer, m_bevelWidth);
    rect.adjust(m_borderWidth, m_borderWidth, -m_borderWidth, -m_borderWidth);
    rect = drawBevel(painter, rect, m_inner, m_bevelWidth);
    if (!m_caption.isEmpty()) {
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, m_caption);
    }
}

// -- PointerMoves -------------------------------------------------------------------------

void PointerMoves::bind(QWidget *control, std::function<void()> handler)
{
    control->setMouseTracking(true);
    control->installEventFilter(this);
    m_handlers.insert(control, std::move(handler));
    connect(control, &QObject::destroyed, this,
            [this](QObject *object) { m_handlers.remove(object); });
}

void PointerMoves::absorb(QWidget *control)
{
    bind(control, nullptr);
}

bool PointerMoves::eventFilter(QObject *object, QEvent *event)
{
    if (event->type() != QEvent::MouseMove)
        return false;
    const auto found = m_handlers.constFind(object);
    if (found == m_handlers.constEnd())
        return false;
    if (*found)
        runHandler(*found);
    const bool held = static_cast<QMouseEvent *>(event)->buttons() != Qt::NoButton;
    return !(held && qobject_cast<QAbstractButton *>(object));
}

// -- Helpers ------------------------------------------------------------------------------

void initInfoResources()
{
    static bool registered = false;
    if (!registered) {
        Q_INIT_RESOURCE(infowindows);
        registered = true;
    }
}

// -- More helpers ------------------------------------------------------------------------------

namespace {

class ToolTipSuppressor : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override { return event->type() == QEvent::ToolTip; }
};

} // namespace

void suppressToolTip(QWidget *control)
{
    control->installEventFilter(new ToolTipSuppressor(control));
}

QLabel *makePlainLabel(const QString &text, const QFont &font, const QColor &color, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
    label->adjustSize();
    return label;
}
