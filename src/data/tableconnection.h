#pragma once

// Inside the table layer: how a dream table file is opened with SQLite so that nothing is
// written to a file before it is known to be a sound dream table, and how the engine's
// failures become messages that tell the true reason.

#include "data/errors.h"
#include "data/storage.h"

#include <QByteArray>
#include <QString>

#include <memory>

struct sqlite3;
struct sqlite3_file;

namespace TableSchema {
constexpr int ApplicationId = 0x4E4F4354; // marks a dream table file
// The table's format. The index of words (textindex.h) is an optional part that older builds
// never look for, so it leaves the version as it was.
constexpr int Version = 1;
extern const char *const Sql; // the table and its two indexes
} // namespace TableSchema

// What the directory entries of a table file tell before the engine opens it.
struct TableFileState
{
    bool fileWritable = false;  // this user may write the file itself
    bool writable = false;      // ... and its directory and log: the table can be edited
    bool walExists = false;     // a write-ahead log lies beside the file
    bool walFrames = false;     // ... and holds more than its header
    bool shmUnwritable = false; // shared memory this user cannot write (left by a reader)
};

// Checks that path is a readable file and that no rollback journal lies beside it; throws
// EngineError (Missing, Other, ForeignLog).
TableFileState inspectTableFile(const QString &path);

// Takes SQLite's exclusive lock on a database file without reading it, so that no other
// connection can open it (every open connection holds a shared lock). Throws EngineError
// with Reason::Locked when another connection has the file open.
class ExclusiveHold
{
public:
    explicit ExclusiveHold(const QString &path);
    ~ExclusiveHold();
    ExclusiveHold(const ExclusiveHold &) = delete;
    ExclusiveHold &operator=(const ExclusiveHold &) = delete;

private:
    void release();

    sqlite3 *m_db = nullptr;
    sqlite3_file *m_file = nullptr;
};

// One SQLite connection to a table file.
class Connection
{
public:
    enum class Mode {
        Immutable, // the file alone, read-only and without locks: nothing is written
        Exclusive, // the file with its log, read through private memory under an exclusive
                   // lock that keeps every other program out: nothing is written
        ReadOnly,  // shared read-only access through the engine's shared memory
        ReadWrite, // shared access for editing; keeps its log on close until keepLog(false)
    };

    Connection(const QString &path, Mode mode);
    ~Connection();
    Connection(Connection &&other) noexcept;
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    Connection &operator=(Connection &&) = delete;

    sqlite3 *db() const { return m_db; }
    // While on, closing neither checkpoints the log into the file nor deletes it.
    void keepLog(bool keep);

private:
    QByteArray uri(const QString &path, Mode mode) const;

    sqlite3 *m_db = nullptr;
    std::unique_ptr<ExclusiveHold> m_hold;
};

// Opens a table file as access asks, after checking it where nothing can be written; sets
// *readOnly when the connection cannot edit. Throws EngineError with the true reason.
Connection openTableFile(const QString &path, Storage::Access access, bool *readOnly);

// Checks that an open connection shows a dream table: the mark, the table and its indexes,
// and with deep also the engine's quick integrity check.
void checkDreamTable(sqlite3 *db, const QString &path, bool deep);

// The failure of an engine call on the table file at path, with its reason.
EngineError engineFailure(sqlite3 *db, int rc, const QString &path);
// The engine's reason for a result code, in Spanish, with the system's reason when known.
QString engineReason(sqlite3 *db, int rc);
