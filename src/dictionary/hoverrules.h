#pragma once

#include <QColor>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QWidget;
class TRaisedLabel;

// What the dictionary window says on its status line when the pointer moves over one of its
// controls. Each rule runs its steps in this order: status text, status colour, picture
// caption text, picture caption colour; a step left empty does not touch that property.
struct HoverRule
{
    // What the list panel's rule does beyond the four steps.
    enum class Extra {
        None,
        // Status text; focus to the picture; the three field prompts back to normal; picture
        // caption colour, then its text.
        ListPanel
    };

    QString control; // the control's name
    std::optional<QString> statusText;
    std::optional<QColor> statusColor;
    std::optional<QString> captionText;
    std::optional<QColor> captionColor;
    Extra extra = Extra::None;
};

// The publisher's contact line, shown over the window's margin and the status line.
QString publisherContactLine();

// Every rule of the window, one per control name. A control that has none changes nothing.
const std::vector<HoverRule> &hoverRules();
const HoverRule *hoverRuleFor(const QString &control);

// The status line's colour lives in its palette; these read and write it in one place.
QColor statusLineColor(const QLabel *statusLine);
void setStatusLineColor(QLabel *statusLine, const QColor &color);

// What the rules act upon.
struct HoverTargets
{
    QLabel *statusLine = nullptr;
    TRaisedLabel *pictureCaption = nullptr;
    std::function<void()> focusPicture;        // the list panel's focus move
    std::function<void()> restoreFieldPrompts; // the list panel's prompt restore
};

// Runs the rule of the control under the pointer on every pointer movement over the part of
// that control that no child covers. It watches a window and all its widgets (and those
// created later), switches mouse tracking on for them so that movements without a button
// arrive, and swallows every tooltip request: the status line is the window's only hint.
//
// Widgets that are not registered controls (a memo's viewport, a scroll bar) belong to the
// nearest registered ancestor. A disabled control counts as its container, the nearest
// enabled registered ancestor, or the window. Hidden widgets receive no movement at all.
class HoverDispatcher : public QObject
{
    Q_OBJECT
public:
    // The window is registered as a control under the given name; the dispatcher is its child.
    HoverDispatcher(QWidget *window, const QString &windowName, HoverTargets targets);

    // Registers a control of the window under its name; its rule, if any, comes from
    // hoverRules(). Sets the widget's object name when it has none.
    void addControl(QWidget *control, const QString &name);

    // The control whose rule a movement received by this widget runs, or nullptr when the
    // widget is not the window's.
    QWidget *controlFor(QWidget *receiver) const;
    const HoverRule *ruleOf(QWidget *control) const;

    // Runs one rule on the targets.
    void apply(const HoverRule &rule) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(QWidget *widget);
    QWidget *registeredAncestor(QWidget *widget) const;

    QWidget *m_window;
    HoverTargets m_targets;
    QHash<const QWidget *, const HoverRule *> m_controls; // a registered control may have no rule
};
