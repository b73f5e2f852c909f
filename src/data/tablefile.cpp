#include "data/tablefile.h"

#include "data/errors.h"
#include "data/storage.h"
#include "data/tableconnection.h"
#include "data/textindex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <cerrno>
#include <memory>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

using Reason = EngineError::Reason;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

const char *const Companions[] = {"-journal", "-wal", "-shm"};

// Forces a directory entry (a file moved into place) to the disk.
void syncDirectory(const QString &dir)
{
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(dir)
#endif
}

// Moves a file onto another name; replace says whether a file there may be replaced.
bool moveFile(const QString &from, const QString &to, bool replace, int *error)
{
    if (!replace) {
        if (QFile::rename(from, to))
            return true;
        *error = QFileInfo::exists(to) ? EEXIST : errno;
        return false;
    }
#ifdef Q_OS_WIN
    if (MoveFileExW(reinterpret_cast<const wchar_t *>(from.utf16()),
                    reinterpret_cast<const wchar_t *>(to.utf16()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    *error = EACCES;
    return false;
#else
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *error = errno;
    return false;
#endif
}

// A file made under a hidden name beside its final place. Removed, with the engine's files
// beside it, unless it was moved into place.
class NewFile
{
public:
    explicit NewFile(const QString &target) : m_target(target)
    {
        const QFileInfo t(target);
        m_path = t.absoluteDir().filePath(
            QStringLiteral(".%1-%2")
                .arg(t.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    }
    ~NewFile()
    {
        if (m_moved)
            return;
        QFile::remove(m_path);
        for (const char *suffix : Companions)
            QFile::remove(m_path + QLatin1String(suffix));
    }
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;

    QString path() const { return m_path; }

    void moveIntoPlace(bool replace)
    {
        int error = 0;
        if (!moveFile(m_path, m_target, replace, &error))
            throw EngineError(QStringLiteral("No se puede poner %1 en su lugar: %2")
                                  .arg(shown(m_target), systemReason(error)));
        m_moved = true;
        syncDirectory(QFileInfo(m_target).absolutePath());
    }

private:
    QString m_target;
    QString m_path;
    bool m_moved = false;
};

// An SQLite connection to a file this operation makes.
struct Made
{
    sqlite3 *db = nullptr;
    explicit Made(const QString &path)
    {
        const int rc = sqlite3_open_v2(
            QFile::encodeName(path).constData(), &db,
            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE, nullptr);
        if (rc != SQLITE_OK)
            fail(path);
    }
    ~Made() { sqlite3_close(db); }
    Made(const Made &) = delete;
    Made &operator=(const Made &) = delete;
    void exec(const QByteArray &sql, const QString &path)
    {
        if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(path);
    }
    [[noreturn]] void fail(const QString &path)
    {
        throw EngineError(QStringLiteral("No se puede escribir %1: %2")
                              .arg(shown(path), engineReason(db, sqlite3_extended_errcode(db))));
    }
};

void makeEmptyTable(const QString &path)
{
    Made made(path);
    made.exec(QByteArray("PRAGMA journal_mode=WAL; PRAGMA application_id=") +
                  QByteArray::number(TableSchema::ApplicationId) +
                  "; PRAGMA user_version=" + QByteArray::number(TableSchema::Version) +
                  "; BEGIN; " + TableSchema::Sql + TextIndex::Sql + " COMMIT;",
              path);
}

// The engine's copy of the table a connection reads, taken in one read transaction.
void copyTable(sqlite3 *source, const QString &path)
{
    Made made(path);
    sqlite3_backup *b = sqlite3_backup_init(made.db, "main", source, "main");
    if (!b)
        made.fail(path);
    const int step = sqlite3_backup_step(b, -1);
    const int finish = sqlite3_backup_finish(b);
    if (step != SQLITE_DONE || finish != SQLITE_OK)
        throw EngineError(
            QStringLiteral("No se puede escribir %1: %2")
                .arg(shown(path), engineReason(made.db, step != SQLITE_DONE ? step : finish)));
}

void copyBytes(const QString &from, const QString &to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        throw EngineError(
            QStringLiteral("No se puede leer %1: %2").arg(shown(from), systemReason(errno)));
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw EngineError(
            QStringLiteral("No se puede escribir %1: %2").arg(shown(to), systemReason(errno)));
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (out.write(chunk) != chunk.size())
            throw EngineError(
                QStringLiteral("No se puede escribir %1: %2").arg(shown(to), systemReason(errno)));
    }
    out.flush();
#ifndef Q_OS_WIN
    ::fsync(out.handle());
#endif
}

// Checks a copy fully (the engine's integrity check and the table's own rules); the
// problems are reported under the name shownAs.
void checkCopy(const QString &path, const QString &shownAs)
{
    QStringList problems;
    try {
        Storage s;
        s.openFile(path, Storage::Access::Snapshot);
        problems = s.check();
    } catch (const EngineError &e) {
        throw EngineError(QString(e.message()).replace(shown(path), shown(shownAs)), e.reason());
    }
    if (!problems.isEmpty())
        throw EngineError(QStringLiteral("%1 no es una tabla de sueños sana: %2 (y %3 problemas "
                                         "más); no se ha cambiado nada")
                              .arg(shown(shownAs), quoted(problems.first()))
                              .arg(problems.size() - 1),
                          Reason::Damaged);
}

// Sets the log mode a table is used in (a copy may come from a table that was not).
void useLog(const QString &path)
{
    Made made(path);
    made.exec("PRAGMA journal_mode=WAL", path);
}

// Takes the old table out of use: nobody may have it open. Its log and shared memory go, so
// that they are never applied to the new table; the log is kept aside until the new table is
// in place.
std::unique_ptr<ExclusiveHold> holdOldTable(const QString &table)
{
    if (!QFileInfo::exists(table))
        return nullptr;
    try {
        return std::make_unique<ExclusiveHold>(table);
    } catch (const EngineError &e) {
        if (e.reason() != Reason::Locked)
            throw;
    }
    throw EngineError(QStringLiteral("La tabla de sueños %1 está abierta en otro programa; "
                                     "ciérrelo y vuelva a intentarlo (no se ha cambiado nada)")
                          .arg(shown(table)),
                      Reason::Locked);
}

// Moves a checked copy into the place of a table. The old table's log and journal are moved
// aside first (and dropped once the copy is in place) and its shared memory removed, so that
// none of them is ever applied to the new table.
void swapIn(NewFile &made, const QString &table, bool replace)
{
    QStringList aside;
    const auto putBack = [&] {
        for (const QString &suffix : std::as_const(aside))
            QFile::rename(made.path() + suffix + QStringLiteral(".old"), table + suffix);
    };
    for (const char *suffix : {"-wal", "-journal"}) {
        const QString old = table + QLatin1String(suffix);
        if (!QFileInfo::exists(old))
            continue;
        if (!QFile::rename(old, made.path() + QLatin1String(suffix) + QStringLiteral(".old"))) {
            putBack();
            throw EngineError(
                QStringLiteral("No se puede apartar %1; no se ha cambiado nada").arg(shown(old)));
        }
        aside << QString::fromLatin1(suffix);
    }
    QFile::remove(table + QStringLiteral("-shm"));
    try {
        made.moveIntoPlace(replace);
    } catch (...) {
        putBack();
        throw;
    }
    for (const QString &suffix : std::as_const(aside))
        QFile::remove(made.path() + suffix + QStringLiteral(".old"));
}

} // namespace

namespace TableFile {

bool create(const QString &dir, const std::function<bool(Storage &)> &fill)
{
    if (!QFileInfo(dir).isDir())
        throw EngineError(
            QStringLiteral("La carpeta de la base de datos %1 no existe").arg(shown(dir)),
            Reason::Missing);
    const QString table = Storage::tablePath(dir);
    if (QFileInfo::exists(table))
        throw EngineError(QStringLiteral("La tabla de sueños %1 ya existe").arg(shown(table)));
    NewFile made(table);
    makeEmptyTable(made.path());
    if (fill) {
        Storage s;
        s.openFile(made.path(), Storage::Access::ReadWrite);
        s.begin();
        bool keep = false;
        try {
            keep = fill(s);
        } catch (...) {
            s.rollback();
            throw;
        }
        if (!keep) {
            s.rollback();
            return false;
        }
        s.commit();
    }
    made.moveIntoPlace(false);
    return true;
}

void backup(const QString &dir, const QString &file)
{
    if (QFileInfo::exists(file))
        throw EngineError(
            QStringLiteral("El archivo %1 ya existe; elija otro nombre").arg(shown(file)));
    NewFile made(file);
    {
        Storage source;
        source.open(dir, Storage::Access::Snapshot);
        copyTable(source.handle(), made.path());
    }
    checkCopy(made.path(), file);
    made.moveIntoPlace(false);
}

void restore(const QString &dir, const QString &file)
{
    if (!QFileInfo(file).isFile())
        throw EngineError(QStringLiteral("El archivo %1 no existe").arg(shown(file)),
                          Reason::Missing);
    if (QFileInfo(file + QStringLiteral("-wal")).size() > 0)
        throw EngineError(QStringLiteral("Junto a %1 hay un registro de transacciones: no es una "
                                         "copia completa; haga las copias con «dreambook-db "
                                         "backup»")
                              .arg(shown(file)),
                          Reason::ForeignLog);
    if (!QDir().mkpath(dir))
        throw EngineError(QStringLiteral("No se puede crear la carpeta %1").arg(shown(dir)));
    const QString table = Storage::tablePath(dir);
    const std::unique_ptr<ExclusiveHold> hold = holdOldTable(table);
    NewFile made(table);
    copyBytes(file, made.path());
    checkCopy(made.path(), file);
    useLog(made.path());
    swapIn(made, table, hold != nullptr);
}

} // namespace TableFile
