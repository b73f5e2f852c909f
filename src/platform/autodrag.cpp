#include "platform/autodrag.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

namespace {

const char *const MarkProperty = "noctambuAutoDrag";

class AutoDragFilter : public QObject
{
public:
    static AutoDragFilter &instance()
    {
        static QPointer<AutoDragFilter> filter;
        if (!filter)
            filter = new AutoDragFilter(QCoreApplication::instance());
        return *filter;
    }

    QWidget *dragged() const { return m_control; }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto *widget = static_cast<QWidget *>(object);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
                return m_active;
            if (!m_active)
                begin(widget);
            return true;
        case QEvent::MouseMove:
            return m_active;
        case QEvent::MouseButtonRelease:
            if (!m_active)
                return false;
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                end();
            return true;
        case QEvent::Hide:
        case QEvent::EnabledChange:
            if (m_active && widget == m_control)
                end();
            return false;
        default:
            return false;
        }
    }

private:
    using QObject::QObject;

    void begin(QWidget *widget)
    {
        m_active = true;
        m_control = widget;
        connect(widget, &QObject::destroyed, this, &AutoDragFilter::controlDestroyed,
                Qt::UniqueConnection);
        widget->grabMouse();
        QGuiApplication::setOverrideCursor(QCursor(Qt::ForbiddenCursor));
    }

    void controlDestroyed()
    {
        if (m_active && !m_control)
            end();
    }

    void end()
    {
        QWidget *control = m_control;
        m_control = nullptr;
        m_active = false;
        QGuiApplication::restoreOverrideCursor();
        if (control && QWidget::mouseGrabber() == control)
            control->releaseMouse();
    }

    QPointer<QWidget> m_control;
    bool m_active = false;
};

// Clicking never gives a marked control the focus; tabbing still does.
void dropClickFocus(QWidget *widget)
{
    widget->setFocusPolicy(Qt::FocusPolicy(widget->focusPolicy() & ~Qt::ClickFocus));
}

} // namespace

namespace AutoDrag {

void install(QWidget *control)
{
    if (!control || isInstalled(control))
        return;
    AutoDragFilter &filter = AutoDragFilter::instance();
    control->setProperty(MarkProperty, true);
    control->installEventFilter(&filter);
    dropClickFocus(control);
    // A scroll area takes the mouse in its viewport; its scroll bars keep working.
    if (auto *area = qobject_cast<QAbstractScrollArea *>(control)) {
        area->viewport()->installEventFilter(&filter);
        dropClickFocus(area->viewport());
    }
}

bool isInstalled(const QWidget *control)
{
    return control && control->property(MarkProperty).toBool();
}

QWidget *dragging()
{
    return AutoDragFilter::instance().dragged();
}

} // namespace AutoDrag
