#include "platform/commandkeys.h"

#include <QAbstractButton>

CommandShortcut::CommandShortcut(const QKeySequence &key, QAbstractButton *button)
    : QShortcut(button->window()), m_button(button)
{
    setKey(key);
    setContext(Qt::WindowShortcut);
    connect(this, &QShortcut::activated, this, [this] {
        if (m_button)
            clickAsUser(m_button);
    });
}

QKeySequence CommandShortcut::of(const QAbstractButton *button)
{
    const QList<CommandShortcut *> shortcuts =
        button->window()->findChildren<CommandShortcut *>(QString(), Qt::FindDirectChildrenOnly);
    for (const CommandShortcut *shortcut : shortcuts) {
        if (shortcut->button() == button)
            return shortcut->key();
    }
    return {};
}

bool clickAsUser(QAbstractButton *button)
{
    if (!button->isVisible() || !button->isEnabled())
        return false;
    button->click();
    return true;
}
