#include "platform/accessibility.h"

#include <QObject>
#include <QWidget>

namespace {

// What a window told about one of its controls; lives as the control's child.
class Traits : public QObject
{
    Q_OBJECT
public:
    explicit Traits(QWidget *control) : QObject(control) {}

    std::optional<QAccessible::Role> role;
    Accessibility::NameSource name;
};

Traits *traitsOf(const QWidget *control)
{
    return control ? control->findChild<Traits *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

Traits *ensureTraits(QWidget *control)
{
    Traits *traits = traitsOf(control);
    return traits ? traits : new Traits(control);
}

Accessibility::Observer &observer()
{
    static Accessibility::Observer current;
    return current;
}

} // namespace

namespace Accessibility {

void setRole(QWidget *control, QAccessible::Role role)
{
    ensureTraits(control)->role = role;
}

std::optional<QAccessible::Role> roleOf(const QWidget *control)
{
    const Traits *traits = traitsOf(control);
    return traits ? traits->role : std::nullopt;
}

void setNameSource(QWidget *control, NameSource source)
{
    ensureTraits(control)->name = std::move(source);
}

std::optional<QString> providedName(const QWidget *control)
{
    const Traits *traits = traitsOf(control);
    if (!traits || !traits->name)
        return std::nullopt;
    return traits->name();
}

void notify(QAccessibleEvent *event)
{
    if (observer())
        observer()(event);
    // Nothing listens otherwise; and building interfaces early would cache them before the
    // window has told what they need.
    if (QAccessible::isActive())
        QAccessible::updateAccessibility(event);
}

void notifyNameChanged(QObject *object)
{
    QAccessibleEvent event(object, QAccessible::NameChanged);
    notify(&event);
}

void notifyAvailabilityChanged(QObject *object)
{
    QAccessible::State changed;
    changed.disabled = true;
    QAccessibleStateChangeEvent event(object, changed);
    notify(&event);
}

void setObserver(Observer observer_)
{
    observer() = std::move(observer_);
}

} // namespace Accessibility

#include "accessibility.moc"
