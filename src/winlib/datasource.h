#pragma once

#include "table.h"

#include <QObject>
#include <QPointer>

// Binds a dataset to the data-aware controls: relays the dataset's changes of state,
// position and data, and carries the automatic-edit setting.
class DataSource : public QObject
{
    Q_OBJECT
public:
    explicit DataSource(QObject *parent = nullptr);

    Table *dataSet() const { return m_table; }
    void setDataSet(Table *table);

    bool autoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool on) { m_autoEdit = on; }

    // Puts the dataset into edit state for a control that is about to change its field
    // (automatic editing). Returns false when the dataset cannot be edited; errors of the
    // dataset propagate.
    bool edit();

signals:
    void stateChanged();
    void dataChanged(RecordChange change);
    void fieldChanged(int field);
    void updateRecordRequested();
    void focusFieldRequested(int field);

private:
    QPointer<Table> m_table;
    bool m_autoEdit = true;
};
