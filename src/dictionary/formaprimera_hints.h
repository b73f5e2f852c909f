#pragma once

#include <QDateTime>
#include <QObject>

#include <functional>

class HoverDispatcher;
class QTimer;
class RegionalFormats;
class TFORMAPRIMERA;

// Installs the status-line hints of the dictionary window and starts its clock: the hover
// rules on every control, no tooltips, the status line empty and red, Timer3 and Timer4
// ticking once a second. The window's constructor calls it last.
void installHints(TFORMAPRIMERA *w);

// Where the window's clock reads the current local date and time and its formats.
class WindowClock : public QObject
{
    Q_OBJECT
public:
    using Source = std::function<QDateTime()>;

    explicit WindowClock(QObject *parent);

    RegionalFormats *formats() const { return m_formats; }
    QDateTime now() const { return m_now(); }
    void setSource(Source now) { m_now = std::move(now); }

private:
    RegionalFormats *m_formats;
    Source m_now;
};

// The clock and the hover rules installed on a window, or nullptr before installHints.
WindowClock *windowClock(const TFORMAPRIMERA *w);
HoverDispatcher *hoverDispatcher(const TFORMAPRIMERA *w);

// Starts a clock timer; when the system has no timer to give, raises "Not enough timers
// available".
void startClockTimer(QTimer *timer);
