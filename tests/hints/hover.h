#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

// Moves the pointer onto a point of a control (its centre by default) as the window system
// would: the movement goes to the deepest visible widget under it and is passed up from
// there while ignored.
inline void hover(QWidget *control, QPoint at = QPoint(-1, -1))
{
    QWidget *window = control->window();
    const QPoint local = at.x() < 0 ? control->rect().center() : at;
    const QPoint inWindow = control->mapTo(window, local);
    QWidget *leaf = window->childAt(inWindow);
    if (!leaf)
        leaf = window;
    QMouseEvent move(QEvent::MouseMove, leaf->mapFrom(window, inWindow), inWindow,
                     window->mapToGlobal(inWindow), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(leaf, &move);
}
