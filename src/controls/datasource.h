#pragma once

#include "data/table.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

// Binds a dataset to the data-aware controls: relays the dataset's changes of state,
// position and data, and carries the automatic-edit setting. The editors bound to it
// register as holders of pending changes; when the dataset asks, the data source has each
// hand them over by a plain call, so that an error travels through the program's own code.
class DataSource : public QObject, public PendingChanges
{
    Q_OBJECT
public:
    explicit DataSource(QObject *parent = nullptr);
    ~DataSource() override;

    Table *dataSet() const { return m_table; }
    void setDataSet(Table *table);

    bool autoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool on) { m_autoEdit = on; }

    // Puts the dataset into edit state for a control that is about to change its field
    // (automatic editing). Returns false when the dataset cannot be edited; errors of the
    // dataset propagate.
    bool edit();

    // The editors asked to hand over their changes; an editor removes itself before it
    // goes away or moves to another data source.
    void addEditor(PendingChanges *editor);
    void removeEditor(PendingChanges *editor);
    void handOverChanges() override;

signals:
    void stateChanged();
    void dataChanged(RecordChange change);
    void fieldChanged(int field);
    void focusFieldRequested(int field);

private:
    QPointer<Table> m_table;
    PendingChangesList m_editors;
    bool m_autoEdit = true;
};

// What a data-aware control keeps of its data source: the source, the connections the
// control made to it and, for an editor, its place among the holders of pending changes.
// Binding another source undoes all of it for the old one; so does the control's end.
class DataLink
{
public:
    explicit DataLink(PendingChanges *editor = nullptr) : m_editor(editor) {}
    ~DataLink();
    DataLink(const DataLink &) = delete;
    DataLink &operator=(const DataLink &) = delete;

    DataSource *source() const { return m_source; }
    DataSource *operator->() const { return m_source; }
    explicit operator bool() const { return m_source; }

    using Connect = std::function<QList<QMetaObject::Connection>(DataSource *)>;
    // Binds the control to source (or to none); connect makes the control's connections to a
    // new source. False when the control was bound to this source already.
    bool bind(DataSource *source, const Connect &connect);

private:
    void release();

    PendingChanges *m_editor;
    QPointer<DataSource> m_source;
    QList<QMetaObject::Connection> m_connections;
};

// An editor's answer to the dataset's request: update hands its change to the row; when that
// fails, the editor takes the focus and the error goes on to the dataset's caller.
void handOverOrFocus(QWidget *editor, const std::function<void()> &update);
