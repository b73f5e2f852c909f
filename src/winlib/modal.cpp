#include "modal.h"

#include <QCoreApplication>
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
    // A modal window has closed and handed the record back to this window, which the window
    // system has not activated again yet. Whatever window it activates in between, the
    // return does not count as an activation.
    QPointer<QWidget> returningTo;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (!object->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(object);
        if (!widget->isWindow())
            return false;
        if (type == QEvent::WindowActivate) {
            if (!returningTo)
                activate(widget);
            else if (widget == returningTo)
                returningTo = nullptr; // back where the modal window was opened
        } else if (type == QEvent::Hide) {
            if (widget == returningTo)
                returningTo = nullptr; // it will not be back
            // A modal window that closes hands the record back before its opener can be
            // activated again; if a window it let through (the publisher box) holds the
            // record, that window keeps it.
            for (const ModalFrame *frame : std::as_const(g_frames)) {
                if (frame->dialog == widget && record == widget) {
                    record = frame->opener;
                    returningTo = frame->opener;
                }
            }
        }
        return false;
    }

private:
    using QObject::QObject;

    void activate(QWidget *window)
    {
        if (record == window)
            return;
        record = window;
        if (ActivationWatcher *watcher = ActivationWatcher::of(window))
            watcher->schedule();
    }
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
    tracker.returningTo = nullptr;
    g_frames.append(&frame);
    dialog->setWindowModality(Qt::ApplicationModal);
    const int result = dialog->exec();
    g_frames.removeOne(&frame);
    if (!tracker.record || tracker.record == dialog)
        tracker.record = frame.opener;
    // The opener gets the activation back, as the window system gives it back to the owner
    // of a modal window; returning this way does not run its activation handler.
    tracker.returningTo = nullptr;
    if (frame.opener && tracker.record == frame.opener && frame.opener->isVisible() &&
        !frame.opener->isActiveWindow()) {
        tracker.returningTo = frame.opener;
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
