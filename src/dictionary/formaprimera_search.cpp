// The search in the meanings on the dream dictionary window.

#include "dictionary/formaprimera_search.h"

#include "data/table.h"
#include "dictionary/formabuscar.h"
#include "dictionary/formaprimera.h"
#include "platform/application.h"
#include "platform/beep.h"
#include "platform/modal.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QPushButton>

namespace {

const char *const CommandText = "Buscar en los significados…";
const char *const CommandKey = "Ctrl+F";

// The command is available when the search by name is.
QWidget *availabilitySource(TFORMAPRIMERA *w)
{
    return w->BitBtn2000;
}

// Keeps an action enabled exactly while a control is.
class FollowsEnabled : public QObject
{
public:
    FollowsEnabled(QAction *action, QWidget *control) : QObject(action), m_action(action)
    {
        control->installEventFilter(this);
        action->setEnabled(control->isEnabled());
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::EnabledChange)
            m_action->setEnabled(static_cast<QWidget *>(watched)->isEnabled());
        return false;
    }

private:
    QAction *m_action;
};

} // namespace

TFormBuscar *meaningSearchWindow(TFORMAPRIMERA *w)
{
    auto *window = w->findChild<TFormBuscar *>(QString(), Qt::FindDirectChildrenOnly);
    if (!window)
        window = new TFormBuscar(w->Table1->storage(), w);
    return window;
}

void openMeaningSearch(TFORMAPRIMERA *w)
{
    if (!availabilitySource(w)->isEnabled())
        return;
    beep();
    TFormBuscar *window = meaningSearchWindow(w);
    window->prepareIndex();
    if (showModal(window) == QDialog::Accepted && window->chosenId())
        w->Table1->moveToId(window->chosenId());
}

void installMeaningSearch(TFORMAPRIMERA *w)
{
    auto *command = new QAction(QString::fromUtf8(CommandText), w);
    command->setObjectName(QStringLiteral("BuscarSignificados"));
    command->setShortcut(QKeySequence(QLatin1String(CommandKey), QKeySequence::PortableText));
    command->setShortcutContext(Qt::WindowShortcut);
    w->addAction(command);
    new FollowsEnabled(command, availabilitySource(w));
    QObject::connect(command, &QAction::triggered, w, guarded([w] { openMeaningSearch(w); }));

    // The background of the window: what the pointer is over there is no control of its own
    // (a label, a panel, the window's margin); a button keeps its clicks to itself.
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(w, &QWidget::customContextMenuRequested, w, [w, command](const QPoint &pos) {
        if (qobject_cast<QAbstractButton *>(w->childAt(pos)))
            return;
        QMenu menu(w);
        menu.addAction(command);
        menu.exec(w->mapToGlobal(pos));
    });
}
