#pragma once

// Helpers for driving the information windows in their modal loops.

#include "screencheck.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>

// Runs an action each time a window has been shown and has become active, from inside
// its modal loop.
class OnShow : public QObject
{
public:
    OnShow(QWidget *window, std::function<void()> action)
        : QObject(window), action(std::move(action)), m_window(window)
    {
        window->installEventFilter(this);
    }
    int shows = 0;
    std::function<void()> action; // may be replaced between showings

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (object != m_window)
            return false;
        if (event->type() == QEvent::Show) {
            ++shows;
            m_pending = true;
        } else if (event->type() == QEvent::WindowActivate && m_pending) {
            m_pending = false;
            if (action) {
                // A failed check ends the action early: the window is closed anyway, so
                // that the modal loop ends.
                QTimer::singleShot(0, m_window, [this] {
                    action();
                    if (QTest::currentTestFailed() && m_window->isVisible())
                        m_window->close();
                });
            }
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_pending = false;
};

// Runs an action once, as soon as a window has been hidden.
class OnHide : public QObject
{
public:
    OnHide(QWidget *window, std::function<void()> action)
        : QObject(window), m_window(window), m_action(std::move(action))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (object == m_window && event->type() == QEvent::Hide && m_action) {
            m_action();
            m_action = nullptr;
        }
        return false;
    }

private:
    QWidget *m_window;
    std::function<void()> m_action;
};

// Moves the pointer over a point of control (its centre by default), as the user does:
// the window under the pointer decides which control gets the movement.
inline void hover(QWidget *control, QPoint at = QPoint(-1, -1))
{
    if (at == QPoint(-1, -1))
        at = control->rect().center();
    QWidget *window = control->window();
    const QPoint point = control->mapTo(window, at);
    // A movement to where the pointer already is does not count: come from a neighbour.
    static QPoint last;
    if (control->mapToGlobal(at) == last)
        QTest::mouseMove(window->windowHandle(), point + QPoint(0, 1));
    QTest::mouseMove(window->windowHandle(), point);
    last = control->mapToGlobal(at);
    QCoreApplication::processEvents();
}
