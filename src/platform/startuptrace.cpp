#include "platform/startuptrace.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <sys/resource.h>

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
            if (qEnvironmentVariable("NOCTAMBU_STARTUP_TRACE") == QLatin1String("exit")) {
                // For profilers: the run ends where start-up ends.
                std::fflush(stderr);
                std::_Exit(0);
            }
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
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::fprintf(
        stderr,
        "startup %8.2f ms  processor %8.2f ms  this thread %8.2f ms  page faults %6ld  %s\n",
        double(sinceLoad().nsecsElapsed()) / 1e6, ms(CLOCK_PROCESS_CPUTIME_ID),
        ms(CLOCK_THREAD_CPUTIME_ID), usage.ru_minflt, what);
}

void watchFirstPaint(QWidget *window)
{
    if (enabled())
        window->installEventFilter(new FirstPaint(window));
}

} // namespace StartupTrace
