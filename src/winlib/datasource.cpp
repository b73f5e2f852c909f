#include "datasource.h"

#include <QWidget>

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
    switch (m_table->state()) {
    case DatasetState::Edit:
    case DatasetState::Insert:
    case DatasetState::SetKey:
        return true;
    default:
        break;
    }
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

void handOverOrFocus(QWidget *editor, const std::function<void()> &update)
{
    try {
        update();
    } catch (...) {
        editor->setFocus();
        throw;
    }
}
