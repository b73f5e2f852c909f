#pragma once

#include <QAccessible>
#include <QString>

#include <functional>
#include <optional>

class QObject;
class QWidget;

// What assistive technology is told about the program's controls beyond what their class
// says: a role a window gives one of its controls (the status line, the clock), a name that
// a window works out when it is read (whose picture is shown), and the notices the controls
// send when their state changes. The accessible interfaces read the role and the name from
// here; the notices go to the platform through Qt's accessibility layer.
namespace Accessibility {

// A role for one control, replacing what its class would say.
void setRole(QWidget *control, QAccessible::Role role);
std::optional<QAccessible::Role> roleOf(const QWidget *control);

// A name worked out each time it is read (used when the control has no accessible name).
using NameSource = std::function<QString()>;
void setNameSource(QWidget *control, NameSource source);
std::optional<QString> providedName(const QWidget *control);

// Sends a notice to the platform. While an observer is set, it sees every notice first; a
// test sets one, since the offscreen platform has no accessibility of its own.
void notify(QAccessibleEvent *event);
void notifyNameChanged(QObject *object);
// The control became available or unavailable (its "disabled" state changed).
void notifyAvailabilityChanged(QObject *object);

using Observer = std::function<void(QAccessibleEvent *event)>;
void setObserver(Observer observer);

} // namespace Accessibility
