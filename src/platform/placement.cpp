#include "platform/placement.h"

#include <QApplication>
#include <QEvent>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

constexpr int CaptionHeight = 19;

int frameWidth(WindowBorder border)
{
    return border == WindowBorder::Sizeable ? 4 : 3;
}

// The screen a window belongs on: that of the window owning it, else its own.
QScreen *ownerScreen(const QWidget *window)
{
    const QWidget *owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    const QWindow *handle = window->windowHandle();
    if (!owner && handle && handle->transientParent())
        return handle->transientParent()->screen();
    if (!owner)
        owner = QApplication::activeWindow();
    if (owner && owner != window && owner->isVisible())
        return owner->screen();
    QScreen *own = window->screen();
    return own ? own : QGuiApplication::primaryScreen();
}

class ScreenCentring : public QObject
{
public:
    explicit ScreenCentring(QWidget *window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
    }

    void centre()
    {
        if (!settled())
            return;
        QWindow *handle = m_window->windowHandle();
        if (handle && handle != m_watched) {
            handle->installEventFilter(this); // its exposure tells when the frame is known
            m_watched = handle;
        }
        QScreen *screen = ownerScreen(m_window);
        if (!screen)
            return;
        m_frame = frame();
        const QSize outer = m_window->size().grownBy(m_frame);
        const QRect area = screen->availableGeometry();
        const QPoint outerTopLeft(area.x() + (area.width() - outer.width()) / 2,
                                  area.y() + (area.height() - outer.height()) / 2);
        const QPoint client = outerTopLeft + QPoint(m_frame.left(), m_frame.top());
        if (m_window->geometry().topLeft() != client)
            m_window->setGeometry(QRect(client, m_window->size()));
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Show:
            if (object == m_window)
                centre();
            break;
        case QEvent::Resize:
            // The showing itself resized the window (a message box fits its text).
            if (object == m_window && !event->spontaneous() && m_window->isVisible())
                centre();
            break;
        case QEvent::Move:
        case QEvent::Expose:
            followFrame();
            break;
        default:
            break;
        }
        return false;
    }

private:
    QMargins frame() const
    {
        const QWindow *handle = m_window->windowHandle();
        return handle ? handle->frameMargins() : QMargins();
    }

    bool settled() const
    {
        return !(m_window->windowState() &
                 (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
    }

    // The window system has told the real frame since the window was last centred.
    void followFrame()
    {
        if (m_window->isVisible() && frame() != m_frame)
            centre();
    }

    QWidget *m_window;
    QPointer<QWindow> m_watched;
    QMargins m_frame;
};

} // namespace

QSize clientSizeForOuter(QSize outer, WindowBorder border)
{
    const int frame = frameWidth(border);
    return {outer.width() - 2 * frame, outer.height() - 2 * frame - CaptionHeight};
}

void placeCentred(QWidget *window, QSize outer, WindowBorder border)
{
    window->resize(clientSizeForOuter(outer, border));
    keepCentredOnScreen(window);
}

void placeCentredClient(QWidget *window, QSize client)
{
    window->resize(client);
    keepCentredOnScreen(window);
}

void keepCentredOnScreen(QWidget *window)
{
    const QString name = QStringLiteral("ScreenCentring");
    auto *centring = static_cast<ScreenCentring *>(
        window->findChild<QObject *>(name, Qt::FindDirectChildrenOnly));
    if (!centring) {
        centring = new ScreenCentring(window);
        centring->setObjectName(name);
    }
    centring->centre(); // where the window starts, and returns to from maximised
}
