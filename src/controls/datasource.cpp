#include "controls/datasource.h"

#include <QWidget>

#include <utility>

DataSource::DataSource(QObject *parent) : QObject(parent) {}

DataSource::~DataSource()
{
    if (m_table)
        m_table->removePendingChanges(this);
}

void DataSource::setDataSet(Table *table)
{
    if (m_table == table)
        return;
    if (m_table) {
        disconnect(m_table, nullptr, this, nullptr);
        m_table->removePendingChanges(this);
    }
    m_table = table;
    if (table) {
        table->addPendingChanges(this);
        connect(table, &Table::stateChanged, this, &DataSource::stateChanged);
        connect(table, &Table::recordChanged, this, &DataSource::dataChanged);
        connect(table, &Table::fieldChanged, this, &DataSource::fieldChanged);
        connect(table, &Table::focusFieldRequested, this, &DataSource::focusFieldRequested);
    }
    emit stateChanged();
    emit dataChanged(RecordChange::Reloaded);
}

bool DataSource::edit()
{
    if (!m_table || !m_table->isActive())
        return false;
    if (m_table->isEditing())
        return true;
    if (!m_autoEdit || !m_table->canModify())
        return false;
    m_table->edit();
    return m_table->state() == DatasetState::Edit || m_table->state() == DatasetState::Insert;
}

void DataSource::addEditor(PendingChanges *editor)
{
    m_editors.add(editor);
}

void DataSource::removeEditor(PendingChanges *editor)
{
    m_editors.remove(editor);
}

void DataSource::handOverChanges()
{
    m_editors.handOver();
}

DataLink::~DataLink()
{
    release();
}

bool DataLink::bind(DataSource *source, const Connect &connect)
{
    if (m_source == source)
        return false;
    release();
    m_source = source;
    if (source) {
        if (m_editor)
            source->addEditor(m_editor);
        m_connections = connect(source);
    }
    return true;
}

void DataLink::release()
{
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        QObject::disconnect(c);
    m_connections.clear();
    if (m_source && m_editor)
        m_source->removeEditor(m_editor);
}

void handOverOrFocus(QWidget *editor, const std::function<void()> &update)
{
    try {
        update();
    } catch (...) {
        editor->setFocus();
        throw;
    }
}
