#include "data/tableconnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

#include <cerrno>
#include <optional>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

const char *const TableSchema::Sql =
    "CREATE TABLE dreams ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " name TEXT NOT NULL CHECK (length(name) BETWEEN 1 AND 50),"
    " meaning TEXT, notes TEXT, lucky TEXT, affine TEXT, picture BLOB,"
    " skey BLOB NOT NULL);"
    "CREATE UNIQUE INDEX dreams_name ON dreams(name);"
    "CREATE UNIQUE INDEX dreams_order ON dreams(skey);";

namespace {

constexpr int BusyTimeoutMs = 5000;
constexpr qint64 WalHeaderSize = 32;
using Reason = EngineError::Reason;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

EngineError notDreamTable(const QString &path)
{
    return EngineError(QStringLiteral("%1 no es una tabla de sueños").arg(shown(path)),
                       Reason::NotDreamTable);
}

EngineError damaged(const QString &path, const QString &detail = QString())
{
    return EngineError(
        QStringLiteral("La tabla de sueños %1 está dañada%2; restaure una copia con "
                       "«dreambook-db restore»")
            .arg(shown(path), detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail)),
        Reason::Damaged);
}

EngineError foreignLog(const QString &path)
{
    return EngineError(
        QStringLiteral("El archivo %1 es una tabla de sueños, pero el registro de transacciones "
                       "%2 que tiene al lado no le pertenece o la deja dañada, y no se ha cambiado "
                       "nada: para abrir la tabla sin ese registro, mueva %2 y, si lo hay, %3 a "
                       "otra carpeta; o restaure una copia con «dreambook-db restore»")
            .arg(shown(path), shown(path + QStringLiteral("-wal")),
                 shown(path + QStringLiteral("-shm"))),
        Reason::ForeignLog);
}

EngineError foreignJournal(const QString &path)
{
    return EngineError(QStringLiteral("Junto a la tabla de sueños %1 hay un diario de "
                                      "transacciones, %2, que no le pertenece, y no se ha "
                                      "cambiado nada: muévalo a otra carpeta para abrir la tabla")
                           .arg(shown(path), shown(path + QStringLiteral("-journal"))),
                       Reason::ForeignLog);
}

// Runs a statement that answers with one value; returns the result code of its step.
int queryOne(sqlite3 *db, const char *sql, QByteArray *value)
{
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(s);
    if (rc == SQLITE_ROW)
        *value = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    return rc;
}

void checkSchema(sqlite3 *db, const QString &path)
{
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(db,
                                "SELECT name FROM sqlite_master WHERE (type='table' AND "
                                "name='dreams') OR (type='index' AND tbl_name='dreams' AND name IN"
                                " ('dreams_name','dreams_order'))",
                                -1, &s, nullptr);
    bool table = false, byName = false, byOrder = false;
    while (rc == SQLITE_OK && (rc = sqlite3_step(s)) == SQLITE_ROW) {
        const QByteArray n(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
        table |= n == "dreams";
        byName |= n == "dreams_name";
        byOrder |= n == "dreams_order";
        rc = SQLITE_OK;
    }
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE)
        throw engineFailure(db, rc, path);
    if (!table)
        throw EngineError(QStringLiteral("%1 no contiene la tabla de sueños").arg(shown(path)),
                          Reason::NotDreamTable);
    if (!byName || !byOrder)
        throw damaged(path, QStringLiteral("falta el índice de «Imagen Onírica»"));
}

// Checks a connection that reads the log beside the file too. When the check fails but the
// file alone is a dream table, the log is what does not fit.
void checkExplained(const Connection &c, const QString &path, const TableFileState &state,
                    bool deep)
{
    try {
        checkDreamTable(c.db(), path, deep);
    } catch (const EngineError &e) {
        if (!state.walExists || e.reason() == Reason::Locked || e.reason() == Reason::Other)
            throw;
        const Connection alone(path, Connection::Mode::Immutable);
        checkDreamTable(alone.db(), path, false); // the file's own fault, if it has one
        throw foreignLog(path);
    }
}

// The exclusive view of a table nobody else has open, checked; none when another program
// has it open (or locked).
std::optional<Connection> tryExclusive(const QString &path, const TableFileState &state)
{
    try {
        std::optional<Connection> c(std::in_place, path, Connection::Mode::Exclusive);
        checkExplained(*c, path, state, state.walFrames);
        return c;
    } catch (const EngineError &e) {
        if (e.reason() != Reason::Locked)
            throw;
    }
    return std::nullopt;
}

// What a reader without write access left beside the table and a writer cannot use: shared
// memory (always rebuilt from the log) and an empty log. Called under the exclusive lock.
void removeLeftovers(const QString &path)
{
    const QFileInfo shm(path + QStringLiteral("-shm"));
    if (shm.exists() && !shm.isWritable())
        QFile::remove(shm.filePath());
    const QFileInfo wal(path + QStringLiteral("-wal"));
    if (wal.exists() && wal.size() == 0 && !wal.isWritable())
        QFile::remove(wal.filePath());
}

Connection openForEditing(const QString &path, const TableFileState &state)
{
    {
        const std::optional<Connection> probe = tryExclusive(path, state);
        if (probe)
            removeLeftovers(path);
        // else another program has the table open: it is checked through the shared view
    }
    Connection c(path, Connection::Mode::ReadWrite);
    checkDreamTable(c.db(), path, false);
    c.keepLog(false);
    sqlite3_exec(c.db(), "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    return c;
}

// inUse: another program is known to have the table open.
Connection openForReading(const QString &path, const TableFileState &state, bool inUse)
{
    if (!state.walExists && !inUse) { // nobody has the table open: the file is all of it
        Connection c(path, Connection::Mode::Immutable);
        checkDreamTable(c.db(), path, false);
        return c;
    }
    try {
        Connection c(path, Connection::Mode::ReadOnly);
        checkExplained(c, path, state, false);
        return c;
    } catch (const EngineError &e) {
        if (e.reason() != Reason::Other || state.walFrames)
            throw;
    }
    // No shared memory can be made here, and the log holds nothing.
    Connection c(path, Connection::Mode::Immutable);
    checkDreamTable(c.db(), path, false);
    return c;
}

Connection openOnce(const QString &path, Storage::Access access, bool *readOnly)
{
    const TableFileState state = inspectTableFile(path);
    const bool edit = access == Storage::Access::ReadWrite && state.writable;
    *readOnly = !edit;
    if (edit)
        return openForEditing(path, state);
    const bool tryAlone = access == Storage::Access::Snapshot && state.fileWritable;
    if (tryAlone) {
        if (std::optional<Connection> c = tryExclusive(path, state))
            return std::move(*c);
    }
    return openForReading(path, state, tryAlone);
}

// The identity of the file a path names (device and inode), where the system has one.
struct FileId
{
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileId &o) const { return device == o.device && inode == o.inode; }
};

FileId fileId(const QString &path)
{
    FileId id;
#ifndef Q_OS_WIN // a file that is open cannot be replaced there
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        id.device = quint64(st.st_dev);
        id.inode = quint64(st.st_ino);
    }
#else
    Q_UNUSED(path)
#endif
    return id;
}

} // namespace

TableFileState inspectTableFile(const QString &path)
{
    // Only the directory entries: a descriptor of the file opened and closed here would drop
    // the engine's locks that other connections of this process hold on it.
    const QFileInfo fi(path);
    if (!fi.exists())
        throw EngineError(QStringLiteral("La tabla de sueños %1 no existe").arg(shown(path)),
                          Reason::Missing);
    if (!fi.isFile() || !fi.isReadable())
        throw EngineError(QStringLiteral("La tabla de sueños %1 no se puede leer: %2")
                              .arg(shown(path), fi.isFile() ? systemReason(EACCES)
                                                            : QStringLiteral("no es un archivo")));
    if (QFileInfo(path + QStringLiteral("-journal")).size() > 0)
        throw foreignJournal(path);
    TableFileState s;
    const QFileInfo wal(path + QStringLiteral("-wal"));
    const QFileInfo shm(path + QStringLiteral("-shm"));
    s.fileWritable = fi.isWritable();
    s.walExists = wal.exists();
    s.walFrames = wal.size() > WalHeaderSize;
    s.shmUnwritable = shm.exists() && !shm.isWritable();
    s.writable = s.fileWritable && QFileInfo(fi.absolutePath()).isWritable() &&
                 (!s.walFrames || wal.isWritable());
    return s;
}

ExclusiveHold::ExclusiveHold(const QString &path)
{
    int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &m_file);
    // The levels the engine itself climbs to write; a shared lock of another connection
    // stops the last one.
    for (int level : {SQLITE_LOCK_SHARED, SQLITE_LOCK_RESERVED, SQLITE_LOCK_EXCLUSIVE}) {
        if (rc == SQLITE_OK)
            rc = m_file->pMethods->xLock(m_file, level);
    }
    if (rc != SQLITE_OK) {
        const EngineError e = engineFailure(nullptr, rc, path);
        release();
        throw e;
    }
}

ExclusiveHold::~ExclusiveHold()
{
    release();
}

void ExclusiveHold::release()
{
    if (m_file && m_file->pMethods)
        m_file->pMethods->xUnlock(m_file, SQLITE_LOCK_NONE);
    m_file = nullptr;
    sqlite3_close(m_db);
    m_db = nullptr;
}

Connection::Connection(const QString &path, Mode mode)
{
    if (mode == Mode::Exclusive && !QFileInfo::exists(path + QStringLiteral("-wal"))) {
        // Without a log the file is all of the table: read it alone under the lock.
        m_hold = std::make_unique<ExclusiveHold>(path);
        mode = Mode::Immutable;
    }
    const bool write = mode == Mode::Exclusive || mode == Mode::ReadWrite;
    const int flags = SQLITE_OPEN_URI | (write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY);
    const int rc = sqlite3_open_v2(uri(path, mode).constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const EngineError e = engineFailure(m_db, rc, path);
        sqlite3_close(m_db);
        throw e;
    }
    sqlite3_extended_result_codes(m_db, 1);
    const bool shared = mode == Mode::ReadOnly || mode == Mode::ReadWrite;
    sqlite3_busy_timeout(m_db, shared ? BusyTimeoutMs : 0);
    if (write)
        keepLog(true);
    if (mode == Mode::Exclusive)
        sqlite3_exec(m_db, "PRAGMA locking_mode=EXCLUSIVE; PRAGMA query_only=1", nullptr, nullptr,
                     nullptr);
}

Connection::~Connection()
{
    if (m_db) {
        const int rc = sqlite3_close(m_db);
        Q_ASSERT_X(rc == SQLITE_OK, "Connection", "a statement was left unfinalized");
        Q_UNUSED(rc)
        m_db = nullptr;
    }
    m_hold.reset();
}

Connection::Connection(Connection &&other) noexcept
    : m_db(other.m_db), m_hold(std::move(other.m_hold))
{
    other.m_db = nullptr;
}

void Connection::keepLog(bool keep)
{
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, keep ? 1 : 0, nullptr);
    int persist = keep ? 1 : 0;
    sqlite3_file_control(m_db, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
}

QByteArray Connection::uri(const QString &path, Mode mode) const
{
    QByteArray u = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
    if (mode == Mode::Immutable)
        u += "?immutable=1";
    return u;
}

Connection openTableFile(const QString &path, Storage::Access access, bool *readOnly)
{
    // A restore may move a new file into place while this waits for the old one's lock; the
    // connection must hold the file the path names once it holds its lock.
    for (int attempt = 1;; ++attempt) {
        const FileId before = fileId(path);
        Connection c = openOnce(path, access, readOnly);
        if (fileId(path) == before || attempt == 3)
            return c;
    }
}

void checkDreamTable(sqlite3 *db, const QString &path, bool deep)
{
    QByteArray value;
    int rc = queryOne(db, "PRAGMA application_id", &value);
    if (rc != SQLITE_ROW)
        throw engineFailure(db, rc, path);
    if (value.toLongLong() != TableSchema::ApplicationId)
        throw notDreamTable(path);
    checkSchema(db, path);
    if (!deep)
        return;
    rc = queryOne(db, "PRAGMA quick_check(1)", &value);
    if (rc != SQLITE_ROW)
        throw engineFailure(db, rc, path);
    if (value != "ok")
        throw damaged(path);
}

EngineError engineFailure(sqlite3 *db, int rc, const QString &path)
{
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return EngineError(QStringLiteral("La tabla de sueños %1 está bloqueada por otro programa; "
                                          "ciérrelo o espere a que termine y vuelva a intentarlo")
                               .arg(shown(path)),
                           Reason::Locked);
    case SQLITE_CORRUPT:
        return damaged(path);
    case SQLITE_NOTADB: // not an SQLite database at all
        return notDreamTable(path);
    default:
        return EngineError(QStringLiteral("No se puede leer la tabla de sueños %1: %2")
                               .arg(shown(path), engineReason(db, rc)));
    }
}

QString engineReason(sqlite3 *db, int rc)
{
    struct Text
    {
        int code;
        const char *text;
    };
    static const Text texts[] = {
        {SQLITE_BUSY, "la tabla está bloqueada por otro programa"},
        {SQLITE_LOCKED, "la tabla está bloqueada por otro programa"},
        {SQLITE_CORRUPT, "el archivo está dañado"},
        {SQLITE_NOTADB, "el archivo está dañado"},
        {SQLITE_FULL, "el disco está lleno"},
        {SQLITE_READONLY, "la tabla es de solo lectura"},
        {SQLITE_IOERR, "error de lectura o escritura del archivo"},
        {SQLITE_CANTOPEN, "no se puede abrir el archivo"},
        {SQLITE_PERM, "permiso denegado"},
        {SQLITE_AUTH, "permiso denegado"},
        {SQLITE_NOMEM, "no queda memoria"},
        {SQLITE_TOOBIG, "el valor es demasiado grande"},
        {SQLITE_CONSTRAINT, "la entrada no cumple las reglas de la tabla"},
        {SQLITE_INTERRUPT, "la operación se ha interrumpido"},
    };
    QString reason = QStringLiteral("error %1 del motor de tablas").arg(rc);
    for (const Text &t : texts) {
        if (t.code == (rc & 0xFF))
            reason = QString::fromUtf8(t.text);
    }
    const int primary = rc & 0xFF;
    const int os = db ? sqlite3_system_errno(db) : 0;
    if (os && (primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN || primary == SQLITE_FULL))
        reason += QStringLiteral(": ") + systemReason(os);
    return reason;
}
