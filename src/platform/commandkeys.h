#pragma once

#include <QAbstractButton>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>

// A window-wide keyboard shortcut for a button. Pressing it does what a click on the button
// does, through the button's own click, and only when a click could reach the button: while
// it is shown and enabled. A navigator whose action is not available does nothing, as it
// does for a click. The button keeps the focus policy it has: the focus stays where it was
// unless the button's handler moves it.
class CommandShortcut : public QShortcut
{
    Q_OBJECT
public:
    // Belongs to the button's window.
    CommandShortcut(const QKeySequence &key, QAbstractButton *button);

    QAbstractButton *button() const { return m_button; }

    // The window-wide shortcut of a button; empty when it has none.
    static QKeySequence of(const QAbstractButton *button);

private:
    QPointer<QAbstractButton> m_button;
};

// Clicks a button as the user would: nothing happens while it is hidden or disabled.
// Returns whether the click was made.
bool clickAsUser(QAbstractButton *button);
