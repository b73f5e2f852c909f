#pragma once

#include "data/fields.h"
#include "data/storage.h"

#include <QObject>
#include <QVariant>
#include <QVector>

#include <memory>

class RowLock;

// Holds changes for the current row that are not in the row buffer yet: the data-aware
// editors, through their data source. The dataset asks every holder to hand its changes
// over before it leaves edit or insert and before it posts; an error of a hand-over ends
// that operation and travels to its caller.
class PendingChanges
{
public:
    virtual void handOverChanges() = 0;

protected:
    ~PendingChanges() = default;
};

// Holders of pending changes, asked in the order they were added.
class PendingChangesList
{
public:
    void add(PendingChanges *holder);
    void remove(PendingChanges *holder);
    // Asks every holder that is still listed when its turn comes (a hand-over may move the
    // focus, and with it add or remove a holder). The first error ends the round.
    void handOver() const;

private:
    QVector<PendingChanges *> m_holders;
};

enum class DatasetState { Inactive, Browse, Edit, Insert, SetKey };

// How the current row changed, for the controls that show it.
enum class RecordChange {
    Moved,    // another row became current by navigation
    Reloaded, // the rows were read again (post, cancel, delete, refresh, open)
    Centered  // a located row became current: displays re-read with it in the middle
};

// The dataset over the dream table: one current row in dictionary order of the name, the
// states inactive, browse, edit, insert and set-key, and the BOF/EOF flags. Navigation reads
// single rows through the indexes; nothing loads the whole table.
//
// Every operation that moves, refreshes or inserts first leaves edit or insert: the
// holders of pending changes hand them over (a plain call, so that an error travels through
// the program's own code only), a modified row is posted (an error stops the operation), an
// unmodified one is cancelled.
class Table : public QObject
{
    Q_OBJECT
public:
    enum LocateOption { CaseInsensitive = 0x1, PartialKey = 0x2 };
    Q_DECLARE_FLAGS(LocateOptions, LocateOption)

    explicit Table(QObject *parent = nullptr);
    ~Table() override;

    void setDatabaseDir(const QString &dir);
    QString databaseDir() const { return m_dir; }
    static QString tableName();
    // Opened shared and writable unless set read-only (a read-only file opens read-only too).
    void setReadOnly(bool readOnly);
    bool readOnly() const { return m_readOnly; }

    void open();
    void close();
    void setActive(bool active);
    bool isActive() const { return m_state != DatasetState::Inactive; }

    DatasetState state() const { return m_state; }
    // Whether the dataset holds a row being edited, inserted or a search key.
    bool isEditing() const
    {
        return m_state == DatasetState::Edit || m_state == DatasetState::Insert ||
               m_state == DatasetState::SetKey;
    }
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    bool isEmpty() const { return m_bof && m_eof; }
    bool isModified() const { return m_modified; }
    bool canModify() const;

    void first();
    void prior();
    void next();
    void last();
    qint64 moveBy(qint64 distance); // returns the rows actually moved

    void insert();
    void edit();
    void post();
    void cancel();
    void deleteRecord();
    void refresh();
    void setKey();
    // Leaves edit or insert: pending control values are handed over, a modified row is
    // posted (its error propagates), an unmodified one cancelled; set-key returns to browse.
    void settle();
    bool locate(const QString &keyFields, const QVariant &value, LocateOptions options);

    // Field access on the current row (or the key buffer in set-key state).
    QVariant fieldValue(int field) const;
    QString fieldText(int field) const;
    QByteArray fieldBytes(int field) const;
    bool fieldIsNull(int field) const;
    // Writes into the row buffer; only in edit, insert or set-key state. An empty text or
    // byte array is stored as null; a name is cut to its 50 characters.
    void setFieldValue(int field, const QVariant &value);
    // The field named so, compared without regard to case by the user's locale; -1 if none.
    int fieldIndex(const QString &name) const;

    // For list views: names around the current row (the current one included), its rank in
    // name order and the number of rows.
    QVector<RowName> namesAround(int before, int after) const;
    QVector<RowName> namesFrom(qint64 id, int count, bool forward) const;
    qint64 recordCount() const;
    qint64 recNo() const; // 1-based position of the current row; 0 when empty or inserting
    void moveToRecNo(qint64 recNo);
    qint64 currentId() const { return m_current.id; }
    void moveToId(qint64 id);

    Storage &storage() { return *m_storage; }

    // The holders asked to hand over their changes, in the order added. A holder removes
    // itself before it goes away.
    void addPendingChanges(PendingChanges *holder);
    void removePendingChanges(PendingChanges *holder);

signals:
    void stateChanged();
    void recordChanged(RecordChange change);
    void fieldChanged(int field);
    // The required-field check asks for the editor of the field to take the focus.
    void focusFieldRequested(int field);

private:
    void checkActive() const;
    void setState(DatasetState state);
    void setCurrent(std::optional<Row> row, RecordChange change);
    void releaseLock();
    void reloadCurrent(RecordChange change);
    void moveTo(std::optional<Row> row);
    std::optional<Row> neighbourOf(const QByteArray &sortKey);
    void checkCanModify() const;
    void lockCurrent();

    QString m_dir;
    bool m_readOnly = false;
    std::unique_ptr<Storage> m_storage;
    std::unique_ptr<RowLock> m_lock;
    DatasetState m_state = DatasetState::Inactive;
    bool m_bof = true;
    bool m_eof = true;
    bool m_modified = false;
    Row m_current;           // the current stored row (id 0 when the table is empty)
    QByteArray m_currentKey; // its sort key
    Row m_buffer;            // the row being edited or inserted
    QVariant m_keyBuffer;    // key buffer of set-key state
    PendingChangesList m_pending;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(Table::LocateOptions)
