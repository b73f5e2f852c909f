#pragma once

#include <QSize>

class QWidget;

// Window sizes are given as outer sizes at 96 dots per inch, frame and caption included.
// The frames are those the windows were laid out with.
enum class WindowBorder { Sizeable, Dialog };

QSize clientSizeForOuter(QSize outer, WindowBorder border);

// Sizes a top-level window to an outer size and keeps it centred on its screen.
void placeCentred(QWidget *window, QSize outer, WindowBorder border);
// Sizes a top-level window to a client size and keeps it centred on its screen.
void placeCentredClient(QWidget *window, QSize client);

// Keeps a top-level window centred on the screen as the user sees it, frame included. Each
// showing centres it on the screen of the window that owns it (its parent, the window it is
// shown over, else the program's active window). Qt can only guess the frame before the
// window is mapped, so the window is centred again once the window system tells the real
// frame, and when its own showing resizes it. A window the user moved or resized stays
// where the user put it; a maximised window is left alone.
void keepCentredOnScreen(QWidget *window);
