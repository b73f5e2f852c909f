// The dream dictionary window: status-line hints and the clock.

#include "dictionary/formaprimera_hints.h"

#include "controls/dbimage.h"
#include "controls/dblookuplistbox.h"
#include "controls/dbmemo.h"
#include "controls/dbnavigator.h"
#include "controls/memo.h"
#include "data/errors.h"
#include "dictionary/formaprimera.h"
#include "dictionary/hoverrules.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/regionalformats.h"
#include "widgets/blotterframe.h"
#include "widgets/raisedlabel.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <utility>

namespace {

// Raised when the system has no timer left for the window.
class OutOfResourcesError : public Error
{
public:
    explicit OutOfResourcesError(QString message) : Error("EOutOfResources", std::move(message)) {}
};

// Every control of the window, those without a rule too (over them nothing changes): the
// widgets the window names, not the parts Qt names inside them.
void registerControls(TFORMAPRIMERA *w, HoverDispatcher *dispatcher)
{
    const QList<QWidget *> widgets = w->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        const QString name = widget->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            dispatcher->addControl(widget, name);
    }
}

QTimer *clockTimer(TFORMAPRIMERA *w, QTimer *timer, const char *name, void (TFORMAPRIMERA::*tick)())
{
    if (!timer) {
        timer = new QTimer(w);
        timer->setObjectName(QLatin1String(name));
    }
    timer->setTimerType(Qt::PreciseTimer); // a coarse second would skip or repeat seconds
    timer->setInterval(1000);
    QObject::connect(timer, &QTimer::timeout, w, guarded([w, tick] { (w->*tick)(); }));
    startClockTimer(timer);
    return timer;
}

} // namespace

WindowClock::WindowClock(QObject *parent)
    : QObject(parent), m_formats(new RegionalFormats(this)),
      m_now([] { return QDateTime::currentDateTime(); })
{}

WindowClock *windowClock(const TFORMAPRIMERA *w)
{
    return w->findChild<WindowClock *>(QString(), Qt::FindDirectChildrenOnly);
}

HoverDispatcher *hoverDispatcher(const TFORMAPRIMERA *w)
{
    return w->findChild<HoverDispatcher *>(QString(), Qt::FindDirectChildrenOnly);
}

void startClockTimer(QTimer *timer)
{
    timer->start();
    // A timer the system refused has no id (Qt 5 gives 0, Qt 6 gives -1).
    if (timer->timerId() <= 0)
        throw OutOfResourcesError(QStringLiteral("Not enough timers available"));
}

void installHints(TFORMAPRIMERA *w)
{
    HoverTargets targets;
    targets.statusLine = w->Panel3;
    targets.pictureCaption = w->Label16;
    targets.focusPicture = [w] {
        w->DBImage1->setFocus();
    };
    targets.restoreFieldPrompts = [w] {
        w->restoreStandardPrompts();
    };
    auto *dispatcher = new HoverDispatcher(w, QStringLiteral("FORMAPRIMERA"), targets);
    registerControls(w, dispatcher);

    w->Panel3->clear();
    setStatusLineColor(w->Panel3, Colors::clRed);

    new WindowClock(w);
    w->Timer3 = clockTimer(w, w->Timer3, "Timer3", &TFORMAPRIMERA::Timer3Timer);
    w->Timer4 = clockTimer(w, w->Timer4, "Timer4", &TFORMAPRIMERA::Timer4Timer);
}

void TFORMAPRIMERA::Timer3Timer()
{
    const WindowClock *clock = windowClock(this);
    LABEL999->setText(clock->formats()->timeText(clock->now()));
}

void TFORMAPRIMERA::Timer4Timer()
{
    const WindowClock *clock = windowClock(this);
    LABEL888->setText(clock->formats()->dateText(clock->now()));
}

void TFORMAPRIMERA::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LocaleChange) {
        if (const WindowClock *clock = windowClock(this))
            clock->formats()->reload();
    }
    QWidget::changeEvent(event);
}
