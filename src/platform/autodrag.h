#pragma once

class QWidget;

// Automatic dragging. A left mouse press on a marked control starts at once a drag that no
// window accepts: the control grabs the mouse and the pointer shows the no-drop shape
// until the button is released. The control gets no click, no focus from the mouse, no
// caret and no selection; the keyboard can still reach it. One event filter serves every
// marked control of the program.
namespace AutoDrag {
void install(QWidget *control);
bool isInstalled(const QWidget *control);
// The control being dragged now, or nullptr.
QWidget *dragging();
} // namespace AutoDrag
