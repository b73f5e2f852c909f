#include "app/accessibles.h"

#include "app/infowidgets.h"
#include "controls/dbimage.h"
#include "controls/dblookuplistbox.h"
#include "controls/dbnavigator.h"
#include "controls/panel.h"
#include "data/fields.h"
#include "platform/accessibility.h"
#include "platform/commandkeys.h"
#include "widgets/blotterframe.h"
#include "widgets/raisedlabel.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QToolButton>
#include <QVector>
#include <QWindow>

namespace {

// A caption without its accelerator marks: "&&" stands for "&", a lone "&" marks the next
// letter.
QString withoutAmpersands(const QString &caption)
{
    QString out;
    for (int i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        out += caption.at(i);
    }
    return out;
}

// The name every interface here reads first: the one the program set, then the one a window
// works out.
QString givenName(const QWidget *widget)
{
    if (!widget->accessibleName().isEmpty())
        return widget->accessibleName();
    return Accessibility::providedName(widget).value_or(QString());
}

// -- Buttons -------------------------------------------------------------------------------

// Push, tool and navigator buttons. Named by their caption, else by the tooltip text the
// program holds for them (tooltips stay off), else by the label that names them. Their
// window-wide shortcut, or their mnemonic, is their key binding. Pressing them through
// assistive technology clicks them as the user would, once the request has been answered
// (a click may open a modal window).
class ButtonAccessible : public QAccessibleWidget
{
public:
    explicit ButtonAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Button) {}

    QAbstractButton *button() const { return static_cast<QAbstractButton *>(widget()); }

    QAccessible::Role role() const override
    {
        if (const auto role = Accessibility::roleOf(widget()))
            return *role;
        if (button()->isCheckable())
            return QAccessible::CheckBox;
        const auto *tool = qobject_cast<const QToolButton *>(button());
        if (tool && tool->menu())
            return QAccessible::ButtonMenu;
        return QAccessible::Button;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->isDown();
        s.checkable = button()->isCheckable();
        s.checked = button()->isChecked();
        if (const auto *navigator = qobject_cast<const TDBNavigator *>(button()))
            s.disabled = !navigator->isActionEnabled();
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return name();
        case QAccessible::Description:
            if (!widget()->accessibleDescription().isEmpty())
                return widget()->accessibleDescription();
            return name() == widget()->toolTip() ? QString() : widget()->toolTip();
        case QAccessible::Accelerator:
            return keyBindings().value(0);
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        QPointer<QAbstractButton> target = button();
        QMetaObject::invokeMethod(
            target,
            [target] {
                if (target)
                    clickAsUser(target);
            },
            Qt::QueuedConnection);
    }

    QStringList keyBindingsForAction(const QString &action) const override
    {
        return action == pressAction() ? keyBindings() : QStringList();
    }

private:
    QString name() const
    {
        QString n = givenName(widget());
        if (n.isEmpty())
            n = withoutAmpersands(button()->text());
        if (n.isEmpty())
            n = widget()->toolTip();
        if (n.isEmpty())
            n = QAccessibleWidget::text(QAccessible::Name); // the label naming it
        return n;
    }

    QStringList keyBindings() const
    {
        QStringList keys;
        const QKeySequence command = CommandShortcut::of(button());
        if (!command.isEmpty())
            keys << command.toString(QKeySequence::NativeText);
        if (!button()->shortcut().isEmpty())
            keys << button()->shortcut().toString(QKeySequence::NativeText);
        return keys;
    }
};

// -- The list grid and its rows ----------------------------------------------------------

// One displayed row of the list grid: its name, selected while it is the current entry.
class ListRowAccessible : public QAccessibleInterface
{
public:
    ListRowAccessible(TDBLookupListBox *grid, int row) : m_grid(grid), m_row(row) {}

    bool isValid() const override { return m_grid && m_row < int(m_grid->displayedNames().size()); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_grid ? m_grid->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_grid);
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid())
            return QString();
        return m_grid->displayedNames().at(m_row);
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QWidget *viewport = m_grid->viewport();
        const int h = m_grid->rowHeight();
        const QRect local(0, m_row * h, viewport->width(), h);
        return QRect(viewport->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid() || !m_grid->isVisible()) {
            s.invisible = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        const bool current = m_row == m_grid->currentRow();
        s.selected = current;
        s.focused = current && m_grid->hasFocus();
        s.active = current;
        return s;
    }

    int row() const { return m_row; }
    const TDBLookupListBox *grid() const { return m_grid; }

private:
    QPointer<TDBLookupListBox> m_grid;
    int m_row;
};

// The list grid: a list of the displayed names, the current entry selected; its name is the
// field it lists, its value the selected name.
class ListGridAccessible : public QAccessibleWidget
{
public:
    explicit ListGridAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::List) {}

    ~ListGridAccessible() override
    {
        for (QAccessible::Id id : std::as_const(m_rows))
            QAccessible::deleteAccessibleInterface(id);
    }

    TDBLookupListBox *grid() const { return static_cast<TDBLookupListBox *>(widget()); }

    int childCount() const override { return int(grid()->displayedNames().size()); }

    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (const QAccessible::Id id = m_rows.value(index))
            return QAccessible::accessibleInterface(id);
        auto *row = new ListRowAccessible(grid(), index);
        m_rows.insert(index, QAccessible::registerAccessibleInterface(row));
        return row;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const auto *row = dynamic_cast<const ListRowAccessible *>(child);
        return row && row->grid() == grid() ? row->row() : -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint at = grid()->viewport()->mapFromGlobal(QPoint(x, y));
        return child(grid()->rowAt(at));
    }

    QAccessibleInterface *focusChild() const override
    {
        return grid()->hasFocus() ? child(grid()->currentRow()) : nullptr;
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: {
            const QString n = givenName(widget());
            return n.isEmpty() ? fieldName(grid()->dataField()) : n;
        }
        case QAccessible::Value:
            return grid()->displayedNames().value(grid()->currentRow());
        default:
            return QAccessibleWidget::text(t);
        }
    }

private:
    mutable QHash<int, QAccessible::Id> m_rows;
};

// -- Painted controls --------------------------------------------------------------------

using NameOf = QString (*)(const QWidget *);

QString labelText(const QWidget *w)
{
    const auto *label = static_cast<const TRaisedLabel *>(w);
    const QString caption = label->text().left(TRaisedLabel::maxCaptionLength);
    return label->showAccelChar() ? withoutAmpersands(caption) : caption;
}

QString plainLabelText(const QWidget *w)
{
    return static_cast<const QLabel *>(w)->text();
}

QString panelCaption(const QWidget *w)
{
    return static_cast<const BevelPanel *>(w)->caption();
}

QString pictureField(const QWidget *w)
{
    return fieldName(static_cast<const TDBImage *>(w)->dataField());
}

// A control the program paints itself: the role of its class (or the one its window gave
// it) and a name from its own text where it has one. A label says which control it names.
class PaintedAccessible : public QAccessibleWidget
{
public:
    PaintedAccessible(QWidget *w, QAccessible::Role role, NameOf nameOf)
        : QAccessibleWidget(w, role), m_nameOf(nameOf)
    {}

    QAccessible::Role role() const override
    {
        return Accessibility::roleOf(widget()).value_or(QAccessibleWidget::role());
    }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        QString n = givenName(widget());
        if (n.isEmpty() && m_nameOf)
            n = m_nameOf(widget());
        return n.isEmpty() ? QAccessibleWidget::text(t) : n;
    }

    QVector<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        auto rels = QAccessibleWidget::relations(match);
        const auto *label = qobject_cast<const QLabel *>(widget());
        if ((match & QAccessible::Labelled) && label && label->buddy()) {
            if (QAccessibleInterface *named = QAccessible::queryAccessibleInterface(label->buddy()))
                rels.append({named, QAccessible::Labelled});
        }
        return rels;
    }

private:
    NameOf m_nameOf;
};

struct PaintedClass
{
    const char *className;
    QAccessible::Role role;
    NameOf nameOf;
};

const PaintedClass paintedClasses[] = {
    {"TRaisedLabel", QAccessible::StaticText, labelText},
    {"TPanelLabel", QAccessible::StaticText, plainLabelText},
    {"TPanel", QAccessible::Pane, nullptr},
    {"BevelPanel", QAccessible::Pane, panelCaption},
    {"TBlotterFrame", QAccessible::Grouping, nullptr},
    {"TDBImage", QAccessible::Graphic, pictureField},
    // The main window is a plain widget: a window, named by its caption.
    {"TFORMAPRIMERA", QAccessible::Window, nullptr},
};

QAccessibleInterface *programInterface(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (className == QLatin1String("TDBNavigator") || className == QLatin1String("QPushButton") ||
        className == QLatin1String("QToolButton"))
        return new ButtonAccessible(widget);
    if (className == QLatin1String("TDBLookupListBox"))
        return new ListGridAccessible(widget);
    for (const PaintedClass &painted : paintedClasses) {
        if (className == QLatin1String(painted.className))
            return new PaintedAccessible(widget, painted.role, painted.nameOf);
    }
    return nullptr;
}

} // namespace

void installAccessibleFactory()
{
    QAccessible::installFactory(programInterface);
}
