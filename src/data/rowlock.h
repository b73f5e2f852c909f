#pragma once

#include <QString>

// Row locks shared between processes: one byte per row id in a lock file beside the table,
// locked with an operating-system byte-range lock held by this object's own open file, so
// two datasets exclude each other even inside one process, and the system releases the
// locks of a process that dies.
class RowLock
{
public:
    explicit RowLock(const QString &lockFilePath);
    ~RowLock();
    RowLock(const RowLock &) = delete;
    RowLock &operator=(const RowLock &) = delete;

    bool isUsable() const;
    // Takes the lock of a row without waiting; false when another holder has it.
    bool tryLock(qint64 id);
    void unlock(qint64 id);
    // Whether another holder has the row locked right now (takes and drops it).
    bool isLockedElsewhere(qint64 id);

private:
    QString m_path;
#ifdef Q_OS_WIN
    void *m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};
