#pragma once

#include <QSize>

class QWidget;

// Window sizes are given as outer sizes at 96 dots per inch, frame and caption included.
// The frames are those the windows were laid out with.
enum class WindowBorder { Sizeable, Dialog };

QSize clientSizeForOuter(QSize outer, WindowBorder border);

// Sizes a top-level window to an outer size and places it at the centre of its screen.
void placeCentred(QWidget *window, QSize outer, WindowBorder border);
// Places a top-level window of the given client size at the centre of its screen.
void placeCentredClient(QWidget *window, QSize client, WindowBorder border);
