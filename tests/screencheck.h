#pragma once

#include <QRect>
#include <QScreen>
#include <QWidget>

// Centred on its screen as the user sees it, frame included.
inline bool centredOnScreen(const QWidget *window)
{
    const QRect area = window->screen()->availableGeometry();
    const QPoint offset = window->frameGeometry().center() - area.center();
    return qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1;
}
