#include "data/table.h"

#include "data/collation.h"
#include "data/errors.h"
#include "data/rowlock.h"

#include <QDir>
#include <QLocale>

namespace {

QString msgClosed()
{
    return QStringLiteral("Cannot perform this operation on a closed dataset");
}

QString msgOpen()
{
    return QStringLiteral("No se puede hacer esto con el conjunto de datos abierto");
}

} // namespace

Table::Table(QObject *parent) : QObject(parent), m_storage(std::make_unique<Storage>()) {}

Table::~Table()
{
    releaseLock();
}

QString Table::tableName()
{
    return Storage::fileName();
}

void Table::setDatabaseDir(const QString &dir)
{
    if (isActive())
        throw DatabaseError(msgOpen());
    m_dir = dir;
}

void Table::setReadOnly(bool readOnly)
{
    if (isActive())
        throw DatabaseError(msgOpen());
    m_readOnly = readOnly;
}

void Table::setActive(bool active)
{
    if (active)
        open();
    else
        close();
}

void Table::open()
{
    if (isActive())
        return;
    m_storage->open(m_dir, m_readOnly ? Storage::Access::ReadOnly : Storage::Access::ReadWrite);
    m_lock = std::make_unique<RowLock>(Storage::tablePath(m_dir) + QStringLiteral(".lck"));
    m_modified = false;
    m_current = Row();
    m_currentKey.clear();
    m_state = DatasetState::Browse;
    if (auto row = m_storage->firstRow()) {
        m_current = *row;
        m_currentKey = Storage::sortKeyOf(m_current);
        m_bof = true;
        m_eof = false;
    } else {
        m_bof = m_eof = true;
    }
    emit stateChanged();
    emit recordChanged(RecordChange::Reloaded);
}

void Table::close()
{
    if (!isActive())
        return;
    releaseLock();
    m_lock.reset();
    m_storage->close();
    m_current = Row();
    m_buffer = Row();
    m_currentKey.clear();
    m_modified = false;
    m_bof = m_eof = true;
    m_state = DatasetState::Inactive;
    emit stateChanged();
    emit recordChanged(RecordChange::Reloaded);
}

bool Table::canModify() const
{
    return isActive() && !m_storage->isReadOnly();
}

void Table::checkActive() const
{
    if (!isActive())
        throw DatabaseError(msgClosed());
}

void Table::checkCanModify() const
{
    if (!canModify())
        throw DatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
}

void Table::setState(DatasetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged();
}

void Table::releaseLock()
{
    if (m_lock && m_state == DatasetState::Edit && m_current.id)
        m_lock->unlock(m_current.id);
}

void Table::lockCurrent()
{
    if (!m_lock->tryLock(m_current.id))
        throw EngineError(QStringLiteral("Registro bloqueado por otro usuario: la entrada %1 se "
                                         "está cambiando en otra ventana u otro programa")
                              .arg(quoted(m_current.name())));
}

void PendingChangesList::add(PendingChanges *holder)
{
    if (holder && !m_holders.contains(holder))
        m_holders.append(holder);
}

void PendingChangesList::remove(PendingChanges *holder)
{
    m_holders.removeAll(holder);
}

void PendingChangesList::handOver() const
{
    const QVector<PendingChanges *> holders = m_holders;
    for (PendingChanges *holder : holders) {
        if (m_holders.contains(holder))
            holder->handOverChanges();
    }
}

void Table::addPendingChanges(PendingChanges *holder)
{
    m_pending.add(holder);
}

void Table::removePendingChanges(PendingChanges *holder)
{
    m_pending.remove(holder);
}

void Table::settle()
{
    checkActive();
    m_pending.handOver();
    switch (m_state) {
    case DatasetState::Edit:
    case DatasetState::Insert:
        if (m_modified)
            post();
        else
            cancel();
        break;
    case DatasetState::SetKey:
        setState(DatasetState::Browse);
        break;
    default:
        break;
    }
}

std::optional<Row> Table::neighbourOf(const QByteArray &sortKey)
{
    if (auto row = m_storage->rowAfter(sortKey))
        return row;
    return m_storage->lastRow();
}

void Table::moveTo(std::optional<Row> row)
{
    if (row) {
        m_current = *row;
        m_currentKey = Storage::sortKeyOf(m_current);
    } else {
        m_current = Row();
        m_currentKey.clear();
    }
}

void Table::reloadCurrent(RecordChange change)
{
    std::optional<Row> row;
    if (m_current.id)
        row = m_storage->rowById(m_current.id);
    if (!row) // gone meanwhile: the next row in name order, or the new last
        row = m_currentKey.isEmpty() ? m_storage->firstRow() : neighbourOf(m_currentKey);
    moveTo(row);
    if (!row)
        m_bof = m_eof = true;
    emit recordChanged(change);
}

void Table::first()
{
    checkActive();
    settle();
    moveTo(m_storage->firstRow());
    m_bof = true;
    m_eof = m_current.id == 0;
    emit recordChanged(RecordChange::Moved);
}

void Table::last()
{
    checkActive();
    settle();
    moveTo(m_storage->lastRow());
    m_eof = true;
    m_bof = m_current.id == 0;
    emit recordChanged(RecordChange::Moved);
}

void Table::prior()
{
    moveBy(-1);
}

void Table::next()
{
    moveBy(1);
}

qint64 Table::moveBy(qint64 distance)
{
    checkActive();
    settle();
    m_bof = m_eof = false;
    qint64 taken = 0;
    if (m_current.id == 0) {
        // Nothing stored (or everything deleted meanwhile): look again from the start.
        moveTo(m_storage->firstRow());
        if (m_current.id == 0) {
            m_bof = m_eof = true;
            emit recordChanged(RecordChange::Moved);
            return 0;
        }
    }
    if (distance != 0) {
        auto row = m_storage->rowFrom(m_currentKey, distance, &taken);
        if (row && taken)
            moveTo(row);
        const qint64 wanted = distance > 0 ? distance : -distance;
        if (taken < wanted) {
            if (distance > 0)
                m_eof = true;
            else
                m_bof = true;
        }
    }
    emit recordChanged(RecordChange::Moved);
    return distance < 0 ? -taken : taken;
}

void Table::moveToRecNo(qint64 recNo)
{
    checkActive();
    settle();
    const qint64 count = m_storage->rowCount();
    if (count == 0)
        return;
    recNo = qBound<qint64>(1, recNo, count);
    moveTo(m_storage->rowAtRank(recNo - 1));
    m_bof = recNo == 1;
    m_eof = false;
    emit recordChanged(RecordChange::Moved);
}

void Table::moveToId(qint64 id)
{
    checkActive();
    settle();
    if (auto row = m_storage->rowById(id)) {
        moveTo(row);
        m_bof = m_eof = false;
        emit recordChanged(RecordChange::Moved);
    }
}

void Table::insert()
{
    checkActive();
    settle();
    checkCanModify();
    m_buffer = Row();
    m_modified = false;
    m_bof = m_eof = false;
    setState(DatasetState::Insert);
    emit recordChanged(RecordChange::Reloaded);
}

void Table::edit()
{
    checkActive();
    if (m_state == DatasetState::Edit || m_state == DatasetState::Insert)
        return;
    if (m_state == DatasetState::SetKey)
        settle();
    if (m_current.id == 0) { // an empty table edits by inserting
        insert();
        return;
    }
    checkCanModify();
    lockCurrent();
    // Take the row as it is stored now, so that a change made elsewhere is not overwritten.
    auto row = m_storage->rowById(m_current.id);
    if (!row) {
        m_lock->unlock(m_current.id);
        const QString name = m_current.name();
        reloadCurrent(RecordChange::Reloaded);
        throw EngineError(
            QStringLiteral("Otro usuario ha borrado la entrada %1").arg(quoted(name)));
    }
    const bool changed = row->values != m_current.values;
    m_current = *row;
    m_currentKey = Storage::sortKeyOf(m_current);
    m_buffer = m_current;
    m_modified = false;
    setState(DatasetState::Edit);
    if (changed)
        emit recordChanged(RecordChange::Reloaded);
}

void Table::post()
{
    checkActive();
    if (m_state != DatasetState::Edit && m_state != DatasetState::Insert &&
        m_state != DatasetState::SetKey)
        throw DatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    m_pending.handOver();
    if (m_state == DatasetState::SetKey) {
        setState(DatasetState::Browse);
        return;
    }
    for (int f = 0; f < FieldCount; ++f) {
        const FieldDef &def = fieldDef(f);
        if (def.required && def.kind == FieldKind::String && m_buffer.values[f].isNull()) {
            emit focusFieldRequested(f);
            throw DatabaseError(QStringLiteral("Field '%1' must have a value").arg(fieldName(f)));
        }
    }
    if (m_state == DatasetState::Insert) {
        m_buffer.id = m_storage->insertRow(m_buffer);
    } else {
        m_storage->updateRow(m_buffer);
        m_lock->unlock(m_buffer.id);
    }
    m_current = m_buffer;
    m_currentKey = Storage::sortKeyOf(m_current);
    m_buffer = Row();
    m_modified = false;
    m_bof = m_eof = false;
    setState(DatasetState::Browse);
    reloadCurrent(RecordChange::Reloaded);
}

void Table::cancel()
{
    checkActive();
    switch (m_state) {
    case DatasetState::Edit:
        releaseLock();
        break;
    case DatasetState::Insert:
    case DatasetState::SetKey:
        break;
    default:
        return;
    }
    m_buffer = Row();
    m_modified = false;
    setState(DatasetState::Browse);
    reloadCurrent(RecordChange::Reloaded);
}

void Table::deleteRecord()
{
    checkActive();
    if (m_state == DatasetState::Insert || m_state == DatasetState::SetKey) {
        cancel();
        return;
    }
    if (m_current.id == 0)
        throw DatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    checkCanModify();
    const bool held = m_state == DatasetState::Edit;
    if (!held)
        lockCurrent();
    try {
        m_storage->deleteRow(m_current.id);
    } catch (...) {
        if (!held)
            m_lock->unlock(m_current.id);
        throw;
    }
    m_lock->unlock(m_current.id);
    m_buffer = Row();
    m_modified = false;
    m_state = DatasetState::Browse;
    m_current.id = 0; // gone: the next row in name order, or the new last
    m_bof = m_eof = false;
    reloadCurrent(RecordChange::Reloaded);
    emit stateChanged();
}

void Table::refresh()
{
    checkActive();
    settle();
    reloadCurrent(RecordChange::Reloaded);
}

void Table::setKey()
{
    checkActive();
    settle();
    m_keyBuffer = QVariant();
    setState(DatasetState::SetKey);
}

int Table::fieldIndex(const QString &name) const
{
    const QLocale locale;
    const QString wanted = locale.toLower(name);
    for (int f = 0; f < FieldCount; ++f) {
        if (locale.toLower(fieldName(f)) == wanted)
            return f;
    }
    return -1;
}

bool Table::locate(const QString &keyFields, const QVariant &value, LocateOptions options)
{
    checkActive();
    settle();
    const int field = fieldIndex(keyFields.trimmed());
    if (field < 0)
        throw DatabaseError(QStringLiteral("No existe el campo %1").arg(quoted(keyFields)));
    std::optional<Row> found;
    if (field == ImagenOnirica && options == PartialKey) {
        // Stored the way a typed name is: normalised and cut to the field's size.
        const QString key = leftCodePoints(Collation::normalized(value.toString()), NameMaxLength);
        found = m_storage->firstWithPrefix(key);
    } else {
        // Other fields and options: walk the rows in name order.
        const QString wanted = value.toString();
        const Qt::CaseSensitivity cs =
            options.testFlag(CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
        auto row = m_storage->firstRow();
        while (row) {
            const QString text = row->values[field].toString();
            const bool hit = options.testFlag(PartialKey) ? text.startsWith(wanted, cs)
                                                          : text.compare(wanted, cs) == 0;
            if (hit) {
                found = row;
                break;
            }
            row = m_storage->rowAfter(Storage::sortKeyOf(*row));
        }
    }
    if (!found)
        return false;
    moveTo(found);
    m_bof = m_eof = false;
    emit recordChanged(RecordChange::Centered);
    return true;
}

QVariant Table::fieldValue(int field) const
{
    if (field < 0 || field >= FieldCount)
        return QVariant();
    if (m_state == DatasetState::Edit || m_state == DatasetState::Insert)
        return m_buffer.values[field];
    return m_current.values[field];
}

QString Table::fieldText(int field) const
{
    return fieldValue(field).toString();
}

QByteArray Table::fieldBytes(int field) const
{
    return fieldValue(field).toByteArray();
}

bool Table::fieldIsNull(int field) const
{
    return fieldValue(field).isNull();
}

void Table::setFieldValue(int field, const QVariant &value)
{
    checkActive();
    if (field < 0 || field >= FieldCount)
        throw DatabaseError(QStringLiteral("Número de campo fuera de rango"));
    QVariant v;
    if (fieldDef(field).kind == FieldKind::Graphic) {
        const QByteArray bytes = value.toByteArray();
        if (!value.isNull() && !bytes.isEmpty())
            v = bytes;
    } else {
        QString text = value.toString();
        if (field == ImagenOnirica)
            text = leftCodePoints(Collation::normalized(text), NameMaxLength);
        if (!value.isNull() && !text.isEmpty())
            v = text;
    }
    if (m_state == DatasetState::SetKey) {
        if (field == ImagenOnirica)
            m_keyBuffer = v;
        return;
    }
    if (m_state != DatasetState::Edit && m_state != DatasetState::Insert)
        throw DatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    if (m_buffer.values[field] == v && m_buffer.values[field].isNull() == v.isNull())
        return;
    m_buffer.values[field] = v;
    if (field == ImagenOnirica)
        m_buffer.sortKey.clear(); // a new name has a new place
    m_modified = true;
    emit fieldChanged(field);
}

QVector<RowName> Table::namesAround(int before, int after) const
{
    QVector<RowName> out;
    if (!isActive() || m_currentKey.isEmpty())
        return out;
    QVector<RowName> up = m_storage->namesFrom(m_currentKey, before, false);
    for (int i = up.size() - 1; i >= 0; --i)
        out.append(up.at(i));
    out += m_storage->namesFrom(m_currentKey, after + 1, true, true);
    return out;
}

QVector<RowName> Table::namesFrom(qint64 id, int count, bool forward) const
{
    if (!isActive())
        return {};
    QByteArray anchor;
    if (id) {
        auto row = m_storage->rowById(id);
        if (!row)
            return {};
        anchor = Storage::sortKeyOf(*row);
    }
    return m_storage->namesFrom(anchor, count, forward);
}

qint64 Table::recordCount() const
{
    return isActive() ? m_storage->rowCount() : 0;
}

qint64 Table::recNo() const
{
    if (!isActive() || m_currentKey.isEmpty() || m_state == DatasetState::Insert)
        return 0;
    return m_storage->rankOf(m_currentKey) + 1;
}
