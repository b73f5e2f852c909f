#include "platform/modal.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDialog>
#include <QEvent>
#include <QVector>

#include <algorithm>
#include <utility>

namespace {

// A modal showing in progress: the dialog and the window that held the focus record when
// it was opened.
struct ModalFrame
{
    QPointer<QDialog> dialog;
    QPointer<QWidget> opener;
};

QVector<ModalFrame *> g_frames; // innermost last
bool g_terminating = false;
std::function<void()> g_quit;

} // namespace

// Keeps the focus record for the whole program by watching every window's activation.
class ActivationTracker : public QObject
{
public:
    static ActivationTracker &instance()
    {
        static QPointer<ActivationTracker> tracker;
        if (!tracker) {
            tracker = new ActivationTracker(QCoreApplication::instance());
            QCoreApplication::instance()->installEventFilter(tracker);
        }
        return *tracker;
    }

    QPointer<QWidget> record;

    // A modal window has closed and handed the record back to its opener. The window system
    // then moves the activation about on its own (to a window the modal one let through, to
    // the opener, back and forth); none of that counts, until the user acts again or the
    // program shows a window.
    void beginReturn(QWidget *opener)
    {
        m_returningTo = opener;
        m_returnPointer = QCursor::pos();
    }
    void cancelReturn() { m_returningTo = nullptr; }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (m_returningTo && endsReturn(object, event))
            endReturn();
        if (!object->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(object);
        if (!widget->isWindow())
            return false;
        if (type == QEvent::WindowActivate) {
            if (!m_returningTo)
                activate(widget);
        } else if (type == QEvent::Hide) {
            if (widget == m_returningTo)
                cancelReturn(); // it will not be back
            // A modal window that closes hands the record back before its opener can be
            // activated again; if a window it let through (the publisher box) holds the
            // record, that window keeps it.
            for (const ModalFrame *frame : std::as_const(g_frames)) {
                if (frame->dialog == widget && record == widget) {
                    record = frame->opener;
                    beginReturn(frame->opener);
                }
            }
        }
        return false;
    }

private:
    using QObject::QObject;

    // The user pressed a key or a button, turned the wheel or moved the pointer, or the
    // program shows a window.
    bool endsReturn(const QObject *object, const QEvent *event) const
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        case QEvent::MouseMove:
            return event->spontaneous() && QCursor::pos() != m_returnPointer;
        case QEvent::Show:
            return object->isWidgetType() && static_cast<const QWidget *>(object)->isWindow();
        default:
            return false;
        }
    }

    // The window active now is the one the user works in: if the window system left another
    // one active than the record, that window counts as activated now.
    void endReturn()
    {
        cancelReturn();
        if (QWidget *active = QApplication::activeWindow())
            activate(active);
    }

    void activate(QWidget *window)
    {
        if (record == window)
            return;
        record = window;
        if (ActivationWatcher *watcher = ActivationWatcher::of(window))
            watcher->schedule();
    }

    QPointer<QWidget> m_returningTo;
    QPoint m_returnPointer;
};

ActivationWatcher::ActivationWatcher(QWidget *window) : QObject(window), m_window(window)
{
    ActivationTracker::instance();
}

ActivationWatcher *ActivationWatcher::of(const QWidget *window)
{
    return window ? window->findChild<ActivationWatcher *>(QString(), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

QWidget *ActivationWatcher::focusRecord()
{
    return ActivationTracker::instance().record;
}

void ActivationWatcher::schedule()
{
    QMetaObject::invokeMethod(
        this, [this]() { emit activated(); }, Qt::QueuedConnection);
}

int showModal(QDialog *dialog)
{
    if (g_terminating || !dialog)
        return QDialog::Rejected;
    ActivationTracker &tracker = ActivationTracker::instance();
    ModalFrame frame{dialog, tracker.record};
    tracker.cancelReturn();
    g_frames.append(&frame);
    dialog->setWindowModality(Qt::ApplicationModal);
    const int result = dialog->exec();
    g_frames.removeOne(&frame);
    if (!tracker.record || tracker.record == dialog)
        tracker.record = frame.opener;
    // The opener gets the activation back, as the window system gives it back to the owner
    // of a modal window; returning this way does not run its activation handler.
    tracker.cancelReturn();
    if (frame.opener && tracker.record == frame.opener && frame.opener->isVisible()) {
        tracker.beginReturn(frame.opener);
        if (!frame.opener->isActiveWindow())
            frame.opener->activateWindow();
    }
    return result;
}

bool isShownModally(const QDialog *dialog)
{
    return std::any_of(g_frames.cbegin(), g_frames.cend(),
                       [dialog](const ModalFrame *frame) { return frame->dialog == dialog; });
}

namespace Termination {

void request()
{
    g_terminating = true;
    // Innermost first; each loop ends with the cancel result as its dialog is rejected.
    const QVector<ModalFrame *> frames = g_frames;
    for (auto it = frames.crbegin(); it != frames.crend(); ++it) {
        if ((*it)->dialog)
            (*it)->dialog->reject();
    }
    if (g_quit)
        g_quit();
    else
        QCoreApplication::exit(0);
}

bool requested()
{
    return g_terminating;
}

void setQuitFunction(std::function<void()> quit)
{
    g_quit = std::move(quit);
}

void reset()
{
    g_terminating = false;
}

} // namespace Termination
