// The dream dictionary window: status-line hints and the clock.

#include "formaprimera_hints.h"

#include "appearance.h"
#include "application.h"
#include "blotterframe.h"
#include "dbimage.h"
#include "dblookuplistbox.h"
#include "dbmemo.h"
#include "dbnavigator.h"
#include "errors.h"
#include "formaprimera.h"
#include "hoverrules.h"
#include "memo.h"
#include "raisedlabel.h"
#include "regionalformats.h"

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

void registerControls(TFORMAPRIMERA *w, HoverDispatcher *dispatcher)
{
    // Every control of the window, those without a rule too: over them nothing changes.
    const std::pair<QWidget *, const char *> controls[] = {
        {w->Panel1, "Panel1"},
        {w->Label9, "Label9"},
        {w->Label11, "Label11"},
        {w->label990, "label990"},
        {w->Label16, "Label16"},
        {w->Label3, "Label3"},
        {w->Label99, "Label99"},
        {w->Label7, "Label7"},
        {w->Label8, "Label8"},
        {w->Label5, "Label5"},
        {w->Label4, "Label4"},
        {w->Label10, "Label10"},
        {w->Label98, "Label98"},
        {w->DBNavigator3, "DBNavigator3"},
        {w->DBNavigator7, "DBNavigator7"},
        {w->NUEVO, "NUEVO"},
        {w->DBNavigator6, "DBNavigator6"},
        {w->DBNavigator2, "DBNavigator2"},
        {w->DBNavigator1, "DBNavigator1"},
        {w->DBNavigator4, "DBNavigator4"},
        {w->DBNavigator5, "DBNavigator5"},
        {w->memo9, "memo9"},
        {w->memo10, "memo10"},
        {w->Memo11, "Memo11"},
        {w->MARCO, "MARCO"},
        {w->DBImage1, "DBImage1"},
        {w->Panel2, "Panel2"},
        {w->BitBoton9812, "BitBoton9812"},
        {w->BitBtn7gf, "BitBtn7gf"},
        {w->BitBtn2956, "BitBtn2956"},
        {w->BOTONAYUDA, "BOTONAYUDA"},
        {w->BitBtn214569, "BitBtn214569"},
        {w->Spbuton100, "Spbuton100"},
        {w->BitBtn2000, "BitBtn2000"},
        {w->Panel4, "Panel4"},
        {w->LABEL999, "LABEL999"},
        {w->LABEL888, "LABEL888"},
        {w->Panel3, "Panel3"},
        {w->BOTONNAIPES, "BOTONNAIPES"},
        {w->MASCARA, "MASCARA"},
        {w->Memoayuda, "Memoayuda"},
        {w->PANELLISTA, "PANELLISTA"},
        {w->DBLOOKUPLISTBOX1, "DBLOOKUPLISTBOX1"},
        {w->BOTONCANCELAR, "BOTONCANCELAR"},
        {w->interpretacion, "interpretacion"},
        {w->DATOS, "DATOS"},
        {w->Memo1, "Memo1"},
        {w->Memo123, "Memo123"},
    };
    for (const auto &control : controls) {
        if (control.first)
            dispatcher->addControl(control.first, QLatin1String(control.second));
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
