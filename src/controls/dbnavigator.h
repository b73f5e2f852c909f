#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QPointer>

#include "controls/datasource.h"

// A data navigator that shows one button: one action on the data source's dataset. The
// button is lit while its action is available (re-evaluated whenever the dataset's state,
// position or data changes) and shows its disabled picture and ignores clicks otherwise.
// A click performs the action and then emits actionDone(), for the button's click handler;
// when the action fails, its error goes to the error box and actionDone() is not emitted. It
// never takes the keyboard focus.
class TDBNavigator : public QAbstractButton
{
    Q_OBJECT
public:
    enum Action { First, Prior, Next, Insert, Delete, Post, Cancel, Refresh };
    Q_ENUM(Action)

    explicit TDBNavigator(QWidget *parent = nullptr);

    DataSource *dataSource() const { return m_dataSource.source(); }
    void setDataSource(DataSource *source);
    Action action() const { return m_action; }
    void setAction(Action action);
    // Delete asks "Delete record?" first (on by default).
    bool confirmDelete() const { return m_confirmDelete; }
    void setConfirmDelete(bool on) { m_confirmDelete = on; }

    // Whether the action can be performed now (the dataset's side; see isEnabled()).
    bool isAvailable() const { return m_available; }
    // Whether a click does anything: enabled and available.
    bool isActionEnabled() const { return isEnabled() && m_available; }

    QSize sizeHint() const override;

signals:
    // After the action (also after a declined delete confirmation).
    void actionDone();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
    void changeEvent(QEvent *event) override;

private:
    void updateAvailability();
    void performAction();
    void runAction();

    DataLink m_dataSource;
    Action m_action = First;
    bool m_available = false;
    bool m_confirmDelete = true;
};
