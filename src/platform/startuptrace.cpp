#include "platform/startuptrace.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace {

// Started when the program is loaded, before main.
const QElapsedTimer &sinceLoad()
{
    static const QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer;
}
[[maybe_unused]] const QElapsedTimer &loaded = sinceLoad();

bool enabled()
{
    static const bool on = qEnvironmentVariableIsSet("NOCTAMBU_STARTUP_TRACE");
    return on;
}

class FirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            StartupTrace::checkpoint("first paint of the main window");
            QMetaObject::invokeMethod(
                this, [] { StartupTrace::checkpoint("after the first paint"); },
                Qt::QueuedConnection);
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(this, &QObject::deleteLater, Qt::QueuedConnection);
        }
        return false;
    }
};

} // namespace

namespace StartupTrace {

void checkpoint(const char *what)
{
    if (!enabled())
        return;
    const auto ms = [](clockid_t clock) {
        timespec t{};
        clock_gettime(clock, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    };
    std::fprintf(stderr, "startup %8.2f ms  processor %8.2f ms  this thread %8.2f ms  %s\n",
                 double(sinceLoad().nsecsElapsed()) / 1e6, ms(CLOCK_PROCESS_CPUTIME_ID),
                 ms(CLOCK_THREAD_CPUTIME_ID), what);
}

void watchFirstPaint(QWidget *window)
{
    if (enabled())
        window->installEventFilter(new FirstPaint(window));
}

} // namespace StartupTrace
